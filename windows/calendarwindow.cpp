#include "windows/calendarwindow.h"

#include "model/clock.h"
#include "model/daymark.h"
#include "model/sharedstate.h"
#include "report/fonts.h"
#include "resources/pictures.h"
#include "windows/fixedlayout.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <qdrawutil.h>

namespace {

const QColor LabelColumnColour(160, 160, 164);
const QColor GridLineColour(192, 192, 192);
const QColor Maroon(128, 0, 0);
const QColor Red(255, 0, 0);
const QColor Navy(0, 0, 128);

constexpr int Rows = 48;
constexpr int Columns = 32;
constexpr int ArrowLeft = 59;

// Hands every cell to the window's drawCell, then adds what the grid itself
// draws: the lines between day cells and the focus rectangle.
class CellPainter : public QStyledItemDelegate {
public:
    CellPainter(CalendarWindow *window, CalendarGrid *grid) : QStyledItemDelegate(grid), m_window(window), m_grid(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool dayCell = index.column() > 0;
        QRect cell = option.rect;
        if (dayCell)
            cell.adjust(0, 0, -1, -1);
        const bool current = index == m_grid->currentIndex();
        const bool focused = m_grid->hasFocus();

        painter->save();
        m_window->drawCell(*painter, index.column(), index.row(), cell, current, focused);
        painter->restore();

        painter->save();
        if (dayCell) {
            painter->setPen(GridLineColour);
            const QRect r = option.rect;
            painter->drawLine(r.right(), r.top(), r.right(), r.bottom());
            painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        }
        if (current && focused) {
            QPen dotted(Qt::black, 1, Qt::DotLine);
            painter->setPen(dotted);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(cell.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }

private:
    CalendarWindow *m_window;
    CalendarGrid *m_grid;
};

constexpr int ScrollBarWidth = 16;

// The grid's own style: the platform's, with the scroll bar width the grid's
// layout is made for.
class ScrollBarWidthStyle : public QProxyStyle {
public:
    explicit ScrollBarWidthStyle(QObject *owner) : QProxyStyle(nullptr) { setParent(owner); }
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        if (metric == PM_ScrollBarExtent)
            return ScrollBarWidth;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// The legend's items answer the left button only.
bool IsNonLeftRelease(QEvent *event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    return static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton;
}

}

// ---------------------------------------------------------------- grid

CalendarGrid::CalendarGrid(CalendarWindow *window, QWidget *parent) : QTableWidget(Rows, Columns, parent), m_window(window)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Each column and row is its cell plus the grid line after it.
    verticalHeader()->setDefaultSectionSize(CalendarWindow::RowHeight + CalendarWindow::GridLineWidth);
    horizontalHeader()->setDefaultSectionSize(CalendarWindow::DayColumnWidth + CalendarWindow::GridLineWidth);
    for (int c = 1; c < Columns; ++c)
        setColumnWidth(c, CalendarWindow::DayColumnWidth + CalendarWindow::GridLineWidth);
    for (int r = 0; r < Rows; ++r)
        setRowHeight(r, CalendarWindow::RowHeight + CalendarWindow::GridLineWidth);

    setShowGrid(false); // the day cells get their lines from the cell painter
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // 76 + 31 x 16 pixels of columns, the frame and this scroll bar make the
    // 590 pixels of the window, whatever width the style gives scroll bars.
    auto *style = new ScrollBarWidthStyle(this);
    setStyle(style);
    verticalScrollBar()->setStyle(style);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setMouseTracking(false);
    setDragEnabled(false);
    setAutoScroll(true);
    setItemDelegate(new CellPainter(window, this));

    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Columns; ++c) {
            auto *item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            setItem(r, c, item);
        }
    }
}

void CalendarGrid::ensureRowVisible(int row, int column)
{
    if (isRowHidden(row))
        return;
    updateGeometries();
    scrollTo(model()->index(row, column), QAbstractItemView::EnsureVisible);
}

QModelIndex CalendarGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    QModelIndex next = QTableWidget::moveCursor(cursorAction, modifiers);
    if (!next.isValid() || next.column() != 0)
        return next;
    // The label column is never the current cell.
    if (cursorAction == MoveLeft || cursorAction == MovePrevious)
        return currentIndex();
    return model()->index(next.row(), 1);
}

void CalendarGrid::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    const QModelIndex at = indexAt(pos);
    // Only the left button moves the current cell, and never onto a label.
    if (event->button() == Qt::LeftButton && at.isValid() && at.column() != 0)
        QTableWidget::mousePressEvent(event);
    else
        event->accept();
    m_window->foldMonthAt(pos);
}

void CalendarGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is a press like any other.
    mousePressEvent(event);
}

void CalendarGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    if (!(event->buttons() & Qt::LeftButton) || (at.isValid() && at.column() == 0)) {
        event->accept();
        return;
    }
    QTableWidget::mouseMoveEvent(event);
}

void CalendarGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        m_window->keyTyped(QChar(27));
        return;
    }
    if (!event->text().isEmpty())
        m_window->keyTyped(event->text().at(0));
    QTableWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------- status bar

PanelStatusBar::PanelStatusBar(const QList<int> &widths, QWidget *parent)
    : QStatusBar(parent), m_widths(widths)
{
    setSizeGripEnabled(false);
    for (int i = 0; i < m_widths.size(); ++i)
        m_texts.append(QString());
}

void PanelStatusBar::setPanelText(int panel, const QString &text)
{
    if (panel < 0 || panel >= m_texts.size())
        return;
    m_texts[panel] = text;
    if (panel == 0)
        showMessage(text);
    update();
}

QRect PanelStatusBar::panelRect(int panel) const
{
    int left = 0;
    for (int i = 0; i < panel; ++i)
        left += m_widths[i];
    const int right = panel == m_widths.size() - 1 ? width() : left + m_widths[panel];
    return QRect(left, 2, right - left - 2, height() - 2);
}

void PanelStatusBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.setFont(font());
    for (int i = 0; i < m_widths.size(); ++i) {
        const QRect r = panelRect(i);
        qDrawShadePanel(&p, r, palette(), true, 1);
        p.setPen(Navy);
        p.drawText(r.adjusted(3, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_texts[i]);
    }
}

// ---------------------------------------------------------------- window

CalendarWindow::CalendarWindow(SharedState &state, QWidget *parent)
    // The grid takes its own Esc; on the buttons Esc does nothing.
    : FixedDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      m_state(state)
{
    setObjectName(QLatin1String(Names::window));
    setWindowTitle(QStringLiteral("Биоритмы..."));
    setFixedSize(590, 420);
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    setSizeGripEnabled(false);

    grid = Named(new CalendarGrid(this, this), Names::grid);
    grid->setGeometry(0, 0, 590, 401);
    grid->setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    QPalette gridPalette = grid->palette();
    gridPalette.setColor(QPalette::Base, Qt::white);
    grid->setPalette(gridPalette);

    statusBar = Named(new PanelStatusBar({428, 81, 50}, this), Names::statusBar);
    statusBar->setGeometry(0, 401, 590, 19);
    statusBar->setFont(PixelFont(QStringLiteral("Tahoma"), 11, true));
    statusBar->setFocusPolicy(Qt::NoFocus);

    legendButton = FixedButton(Names::legendButton, QStringLiteral("Справка"), QRect(431, 404, 77, 15), this);
    legendButton->setToolTip(QStringLiteral("Краткая справка..."));
    legendButton->setContextMenuPolicy(Qt::NoContextMenu);
    legendButton->installEventFilter(this);

    closeButton = FixedButton(Names::closeButton, QStringLiteral("Закрыть"), QRect(512, 404, 77, 15), this);
    closeButton->setToolTip(QStringLiteral("Закрыть..."));
    connect(closeButton, &QPushButton::clicked, this, &CalendarWindow::closeWindow);

    setTabOrder(grid, closeButton);
    setTabOrder(closeButton, legendButton);

    legendMenu = Named(new QMenu(this), Names::legendMenu);
    legendMenu->installEventFilter(this);
    auto legend = [this](const char *name, const QString &caption, int image) {
        return Named(legendMenu->addAction(QIcon(Pictures::helpImage(image)), caption), name);
    };
    risingItem = legend(Names::risingItem, MarkWord('+'), 0);
    badDayItem = legend(Names::badDayItem, MarkWord('0'), 1);
    fallingItem = legend(Names::fallingItem, MarkWord('-'), 2);
    criticalItem = legend(Names::criticalItem, MarkWord('K'), 3);

    grid->setColumnWidth(0, LabelColumnWidth + GridLineWidth);
}

QString CalendarWindow::cellText(int row, int column) const
{
    const QTableWidgetItem *item = grid->item(row, column);
    return item ? item->text() : QString();
}

void CalendarWindow::fillFromModel()
{
    const QDate today = Clock::today();
    const int m = today.month();
    const int d = today.day();

    setWindowTitle(QStringLiteral("Биоритмы на ") + QString::number(m_state.chosenYear) + QStringLiteral(" год"));

    // The current month's last row first, so the whole month ends up in view.
    grid->setCurrentCell(4 * (m - 1) + 3, d);
    grid->ensureRowVisible(4 * (m - 1) + 3, d);

    statusBar->setPanelText(0, m_state.daysLivedLine);

    for (int c = 0; c < Columns; ++c)
        for (int r = 0; r < Rows; ++r)
            grid->item(r, c)->setText(m_state.yearTable[r][c]);

    grid->viewport()->update();

    grid->setCurrentCell(4 * (m - 1), d);
    grid->ensureRowVisible(4 * (m - 1), d);
}

QColor CalendarWindow::dayNumberColour(int criticalCount)
{
    if (criticalCount >= 2)
        return Red;
    if (criticalCount == 1)
        return Maroon;
    return QColor(Qt::black);
}

std::optional<QColor> CalendarWindow::markColour(const QString &text)
{
    if (text == QLatin1String("K"))
        return Red;
    if (text == QLatin1String("0"))
        return Maroon;
    if (text == QLatin1String("+") || text == QLatin1String("-"))
        return QColor(Qt::black);
    return std::nullopt;
}

void CalendarWindow::drawCell(QPainter &p, int column, int row, const QRect &rect, bool current, bool gridFocused)
{
    // What the grid prepares before the handler.
    QFont font = grid->font();
    QColor background = column == 0 ? LabelColumnColour : QColor(Qt::white);
    QColor textColour = grid->palette().color(QPalette::WindowText);
    if (current && !gridFocused && column != 0) {
        background = grid->palette().color(QPalette::Highlight);
        textColour = grid->palette().color(QPalette::HighlightedText);
    }

    auto textAt = [&](int offset, const QString &text, const QColor &colour) {
        p.setFont(font);
        p.setPen(colour);
        const QFontMetrics fm(font);
        p.drawText(QPoint(rect.left() + offset, rect.top() + fm.ascent()), text);
    };

    const QString text = cellText(row, column);
    if (row % 4 == 0) {
        if (column == 0) {
            p.fillRect(rect, QApplication::palette("QMenu").color(QPalette::Window));
            font.setBold(true);
            textAt(2, text, grid->palette().color(QPalette::WindowText));
            const bool folded = grid->rowHeight(row + 1) == 0;
            const QPixmap arrow = Pictures::calendarArrow(folded);
            if (!arrow.isNull())
                p.drawPixmap(rect.left() + ArrowLeft, rect.top(), arrow);
        } else {
            p.fillRect(rect, QApplication::palette().color(QPalette::ToolTipBase));
            int critical = 0;
            for (int i = 1; i <= 3; ++i)
                if (cellText(row + i, column) == QLatin1String("K"))
                    ++critical;
            textAt(2, text, dayNumberColour(critical));
        }
        return;
    }
    if (grid->rowHeight(row) == 0)
        return;
    p.fillRect(rect, background);
    textAt(4, text, markColour(text).value_or(textColour));
}

bool CalendarWindow::monthFolded(int month) const { return grid->rowHeight(4 * month + 1) == 0; }

void CalendarWindow::foldMonthAt(const QPoint &viewportPos)
{
    const QModelIndex at = grid->indexAt(viewportPos);
    if (!at.isValid() || at.column() != 0 || at.row() % 4 != 0)
        return;
    const int row = at.row();
    const bool unfold = grid->rowHeight(row + 1) == 0;
    for (int i = 1; i <= 3; ++i)
        grid->setRowHidden(row + i, !unfold);
    grid->viewport()->update();
}

void CalendarWindow::keyTyped(QChar key)
{
    if (key.unicode() == 27)
        answer(DialogResult::Cancel);
}

void CalendarWindow::showLegend(const QPoint &buttonPos)
{
    grid->setFocus(Qt::OtherFocusReason);
    // Outer window position plus the button's place in the client area.
    const QPoint at = frameGeometry().topLeft() + legendButton->pos() + buttonPos;
    legendMenu->popup(at);
}

void CalendarWindow::closeWindow() { answer(DialogResult::Ok); }

void CalendarWindow::opening()
{
    fillFromModel();
    grid->setFocus(Qt::OtherFocusReason);
}

bool CalendarWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == legendButton
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        showLegend(mouse->position().toPoint());
        return true;
    }
    if (watched == legendMenu && IsNonLeftRelease(event))
        return true;
    return FixedDialog::eventFilter(watched, event);
}
