#pragma once
// The holder of the printed month page: never shown, it keeps the report
// with its fixed layout and the report's printer settings for the run.
#include "report/reportengine.h"
#include "windows/reportprint.h"

#include <QPointer>
#include <QWidget>

class PreviewWindow;

class ReportHolder : public QWidget {
    Q_OBJECT
public:
    // The layout's component name of the holder, its objectName.
    struct Names {
        static constexpr const char *window = "TForm3";
    };

    explicit ReportHolder(QWidget *parent = nullptr);

    ReportEngine::Report report;         // Rep
    ReportEngine::ReportPrinter printer; // the report's printer settings

    // The window that shows the preview.
    void setPreviewWindow(PreviewWindow *window) { m_preview = window; }

    // The report's preview event: hands the page to the preview window and
    // shows it, not modally.
    void showPreview();

private:
    QPointer<PreviewWindow> m_preview;
};
