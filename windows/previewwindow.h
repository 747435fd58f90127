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
    explicit PreviewWindow(QWidget *parent = nullptr);

    QFrame *ToolBar1 = nullptr;
    QToolButton *SpeedButton1 = nullptr; // "Печать"
    QToolButton *SpeedButton2 = nullptr; // "Настройка"
    QToolButton *SpeedButton3 = nullptr; // "Закрыть"
    ReportEngine::ReportPreview *QRPreview = nullptr;

    // Shows `report` in QRPreview and the window itself, not modally.
    // "Печать" and "Настройка" work on `printer`.
    void ShowPreview(ReportEngine::Report &report, ReportEngine::ReportPrinter &printer);
    ReportEngine::Report *PreviewedReport() const { return m_report; }

    void PrintButton();
    void SpeedButton2Click();
    void SpeedButton3Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Ends the preview and releases the page output.
    void FormClose();

    ReportEngine::Report *m_report = nullptr;
    ReportEngine::ReportPrinter *m_printer = nullptr;
};
