#pragma once
// The chart window: one person's three curves over five weeks around the
// chosen day, and the chosen day's values, marks and days lived as text
// below them. A click, the arrows, Page Up/Down and Home choose the day.
#include "outputs/chart.h"
#include "windows/fixeddialog.h"

#include <array>

class QLabel;
class QPushButton;
class ChartWindow;

// The drawing, painted by Chart::Draw; it takes the keys and clicks that
// choose the day.
class ChartView : public QWidget {
    Q_OBJECT
public:
    ChartView(ChartWindow *window, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    ChartWindow *m_window;
};

class ChartWindow : public FixedDialog {
    Q_OBJECT
public:
    // The component names: the objectNames of the window and its parts.
    struct Names {
        static constexpr const char *window = "TForm11";
        static constexpr const char *chart = "Chart";
        static constexpr const char *dayLabel = "Label1";
        static constexpr const char *physicalLabel = "Label2";
        static constexpr const char *emotionalLabel = "Label3";
        static constexpr const char *intellectualLabel = "Label4";
        static constexpr const char *closeButton = "btnExit";
    };

    explicit ChartWindow(QWidget *parent = nullptr);

    ChartView *chart = nullptr;
    QLabel *dayLabel = nullptr;            // the days lived to the chosen day
    std::array<QLabel *, 3> cycleLabels{}; // each cycle's value, mark and words
    QPushButton *closeButton = nullptr;    // "Закрыть"

    // Whom to show; the chosen day becomes today. Before every showing.
    void setSubject(const QString &name, const QDate &birth, const CyclePeriods &periods);
    const Chart::Subject &subject() const { return m_subject; }
    // Chooses `day`, kept within the calendar's years; the curves and texts follow.
    void chooseDay(const QDate &day);
    void moveDay(int days) { chooseDay(m_subject.chosen.addDays(days)); }
    void chooseToday() { chooseDay(m_subject.today); }
    // "Закрыть": answers Ok; Esc on the chart answers Cancel.
    void closeWindow();

    // The window as it first opens: the chart as large as on the files' page.
    static constexpr QSize DefaultSize{784, 512};
    // Below the chart: the four lines of text and the button.
    static constexpr int TextHeight = 112;

protected:
    void opening() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showDayTexts();

    Chart::Subject m_subject;
};
