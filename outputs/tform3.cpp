#include "outputs/tform3.h"

#include "outputs/monthreport.h"
#include "outputs/tform4.h"

TForm3::TForm3(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TForm3"));
    MonthReport::BuildPage(Rep);
    Rep.onPreview = [this](ReportEngine::Report &) { RepPreview(); };
}

void TForm3::RepPreview()
{
    if (!m_preview) {
        // Nowhere to show the page: do not wait for a window that never opens.
        Rep.endPreview();
        return;
    }
    m_preview->ShowPreview(Rep, RepPrinter);
}
