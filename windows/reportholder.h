#pragma once
// The holder of the printed month page: never shown, it keeps the report
// `Rep` with its fixed layout and the report's printer settings for the run.
#include "report/reportengine.h"
#include "windows/reportprint.h"

#include <QPointer>
#include <QWidget>

class PreviewWindow;

class ReportHolder : public QWidget {
    Q_OBJECT
public:
    explicit ReportHolder(QWidget *parent = nullptr);

    ReportEngine::Report Rep;
    ReportEngine::ReportPrinter RepPrinter;

    // The window that shows the preview.
    void SetPreviewWindow(PreviewWindow *form4) { m_preview = form4; }

    // The report's preview event: hands the page to the preview window and
    // shows it, not modally.
    void RepPreview();

private:
    QPointer<PreviewWindow> m_preview;
};
