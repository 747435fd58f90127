#pragma once
// The year calendar window: one person's year as a grid, four rows a month
// (day numbers, then the three cycles), each mark in its colour; months fold
// away with a click on their name; the days-lived line in the status bar and
// a small legend behind "Справка".
#include "windows/fixeddialog.h"

#include <QColor>
#include <QStatusBar>
#include <QStringList>
#include <QTableWidget>

#include <optional>

struct SharedState;
class QAction;
class QMenu;
class QPushButton;
class CalendarWindow;

// The text grid: no editing, no range selection, the label column never
// becomes the current cell, every cell painted by CalendarWindow::drawCell.
class CalendarGrid : public QTableWidget {
    Q_OBJECT
public:
    CalendarGrid(CalendarWindow *window, QWidget *parent);
    // Brings `row` (if shown) into view with as little scrolling as possible.
    void ensureRowVisible(int row, int column);

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    CalendarWindow *m_window;
};

// A status bar of fixed panels; the last one reaches to the right edge.
class PanelStatusBar : public QStatusBar {
    Q_OBJECT
public:
    PanelStatusBar(const QList<int> &widths, QWidget *parent);
    void setPanelText(int panel, const QString &text);
    QString panelText(int panel) const { return m_texts.value(panel); }
    // Left and right edge of a panel in the bar's coordinates.
    QRect panelRect(int panel) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<int> m_widths;
    QStringList m_texts;
};

class CalendarWindow : public FixedDialog {
    Q_OBJECT
public:
    // The layout's component names, the objectNames of the window, its controls and the legend.
    struct Names {
        static constexpr const char *window = "TForm1";
        static constexpr const char *grid = "Grid";
        static constexpr const char *statusBar = "StatusBar1";
        static constexpr const char *legendButton = "Button1";
        static constexpr const char *closeButton = "btnExit";
        static constexpr const char *legendMenu = "PopupMenu1";
        static constexpr const char *risingItem = "N3";
        static constexpr const char *badDayItem = "N1";
        static constexpr const char *fallingItem = "N4";
        static constexpr const char *criticalItem = "N2";
    };

    explicit CalendarWindow(SharedState &state, QWidget *parent = nullptr);

    CalendarGrid *grid = nullptr;
    PanelStatusBar *statusBar = nullptr;  // the days-lived line
    QPushButton *legendButton = nullptr;  // "Справка"
    QPushButton *closeButton = nullptr;   // "Закрыть"
    QMenu *legendMenu = nullptr;          // the legend behind "Справка"
    QAction *risingItem = nullptr;        // "Увеличение активности"
    QAction *badDayItem = nullptr;        // "Плохой день"
    QAction *fallingItem = nullptr;       // "Снижение активности"
    QAction *criticalItem = nullptr;      // "Критический день"

    // Fills the window from the last year calendar build; runs before every showing.
    void fillFromModel();

    // Paints one cell. `rect` is the cell without its grid lines; `current`
    // is the grid's current cell, `gridFocused` whether the grid has the focus.
    void drawCell(QPainter &painter, int column, int row, const QRect &rect, bool current, bool gridFocused);
    // A press on a month's name folds or unfolds the month.
    void foldMonthAt(const QPoint &viewportPos);
    // A key typed in the grid: Esc closes the window, answering Cancel.
    void keyTyped(QChar key);
    // The legend, opened under the pointer by any button pressed on "Справка".
    void showLegend(const QPoint &buttonPos);
    // "Закрыть": answers Ok.
    void closeWindow();

    // Whether month (0..11) shows only its day-number row.
    bool monthFolded(int month) const;

    // Colours of the cells.
    static QColor dayNumberColour(int criticalCount);
    // The colour of a mark; nothing for other texts (labels, blanks).
    static std::optional<QColor> markColour(const QString &text);

    // Cell sizes without the grid line that follows each column and row.
    static constexpr int LabelColumnWidth = 75;
    static constexpr int DayColumnWidth = 15;
    static constexpr int RowHeight = 15;
    static constexpr int GridLineWidth = 1;

protected:
    // Fills the window from the model and puts the focus in the grid. The
    // close box answers Cancel; Esc closes the window from the grid alone.
    void opening() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString cellText(int row, int column) const;

    SharedState &m_state;
};
