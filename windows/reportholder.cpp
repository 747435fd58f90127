#include "windows/reportholder.h"

#include "outputs/monthreport.h"
#include "windows/previewwindow.h"

ReportHolder::ReportHolder(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ReportHolder"));
    MonthReport::BuildPage(Rep);
    Rep.onPreview = [this](ReportEngine::Report &) { RepPreview(); };
}

void ReportHolder::RepPreview()
{
    if (!m_preview) {
        // Nowhere to show the page: do not wait for a window that never opens.
        Rep.endPreview();
        return;
    }
    m_preview->ShowPreview(Rep, RepPrinter);
}
