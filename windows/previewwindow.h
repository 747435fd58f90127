#pragma once
// The preview window of the printed month page.
#include <QWidget>

class QCloseEvent;
class QFrame;
class QToolButton;

namespace ReportEngine {
class Report;
class ReportPrinter;
class ReportPreview;
}

class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    // The layout's component names, the objectNames of the window and its controls.
    struct Names {
        static constexpr const char *window = "TForm4";
        static constexpr const char *toolBar = "ToolBar1";
        static constexpr const char *printButton = "SpeedButton1";
        static constexpr const char *setupButton = "SpeedButton2";
        static constexpr const char *closeButton = "SpeedButton3";
        static constexpr const char *preview = "QRPreview";
    };

    explicit PreviewWindow(QWidget *parent = nullptr);

    QFrame *toolBar = nullptr;
    QToolButton *printButton = nullptr; // "Печать"
    QToolButton *setupButton = nullptr; // "Настройка"
    QToolButton *closeButton = nullptr; // "Закрыть"
    ReportEngine::ReportPreview *preview = nullptr;

    // Shows `report` in the preview control and the window itself, not modally.
    // "Печать" and "Настройка" work on `printer`.
    void showReport(ReportEngine::Report &report, ReportEngine::ReportPrinter &printer);
    ReportEngine::Report *previewedReport() const { return m_report; }

    void print();
    void setUpPrinter();
    void closeWindow();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Ends the preview and releases the page output.
    void endPreview();

    ReportEngine::Report *m_report = nullptr;
    ReportEngine::ReportPrinter *m_printer = nullptr;
};
