#pragma once
// The holder of the printed month page: never shown, it keeps the report
// `Rep` with its fixed layout and the report's printer settings for the run.
#include "report/reportengine.h"
#include "report/reportprint.h"

#include <QPointer>
#include <QWidget>

class TForm4;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);

    ReportEngine::Report Rep;
    ReportEngine::ReportPrinter RepPrinter;

    // The window that shows the preview.
    void SetPreviewWindow(TForm4 *form4) { m_preview = form4; }

    // The report's preview event: hands the page to the preview window and
    // shows it, not modally.
    void RepPreview();

private:
    QPointer<TForm4> m_preview;
};
