#include "windows/reportholder.h"

#include "outputs/monthreport.h"
#include "windows/previewwindow.h"

ReportHolder::ReportHolder(QWidget *parent) : QWidget(parent)
{
    setObjectName(QLatin1String(Names::window));
    MonthReport::BuildPage(report);
    report.onPreview = [this](ReportEngine::Report &) { showPreview(); };
}

void ReportHolder::showPreview()
{
    if (!m_preview) {
        // Nowhere to show the page: do not wait for a window that never opens.
        report.endPreview();
        return;
    }
    m_preview->showReport(report, printer);
}
