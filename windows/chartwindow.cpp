#include "windows/chartwindow.h"

#include "model/clock.h"
#include "report/fonts.h"
#include "windows/fixedlayout.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace {
const QDate FirstCalendarDay(1, 1, 1);
const QDate LastCalendarDay(9999, 12, 31);
}

ChartView::ChartView(ChartWindow *window, QWidget *parent) : QWidget(parent), m_window(window)
{
    setFocusPolicy(Qt::StrongFocus);
    // Chart::Draw paints every pixel.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("График"));
}

void ChartView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    Chart::Draw(p, rect(), m_window->subject());
}

void ChartView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        m_window->moveDay(-1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        m_window->moveDay(1);
        break;
    case Qt::Key_PageUp:
        m_window->moveDay(-7);
        break;
    case Qt::Key_PageDown:
        m_window->moveDay(7);
        break;
    case Qt::Key_Home:
        m_window->chooseToday();
        break;
    case Qt::Key_Escape:
        m_window->answer(DialogResult::Cancel);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ChartView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    const int day = Chart::DayAt(rect(), event->position().x());
    m_window->chooseDay(Chart::FirstDay(m_window->subject().chosen).addDays(day));
}

ChartWindow::ChartWindow(QWidget *parent)
    : FixedDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                              | Qt::WindowMinMaxButtonsHint)
{
    setObjectName(QLatin1String(Names::window));
    setWindowTitle(QStringLiteral("Биоритмы..."));
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    // The tray icon stays live; the menu flag keeps the menu shut meanwhile.
    BlockNoOtherWindow(this);

    chart = Named(new ChartView(this, this), Names::chart);
    const char *labelNames[] = {Names::dayLabel, Names::physicalLabel, Names::emotionalLabel, Names::intellectualLabel};
    QLabel *labels[4];
    for (int i = 0; i < 4; ++i) {
        labels[i] = Named(new QLabel(this), labelNames[i]);
        labels[i]->setFont(PixelFont(QStringLiteral("Tahoma"), 13, i == 0));
        // Read and copied like any text; the keys stay with the chart.
        labels[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        labels[i]->setFocusPolicy(Qt::NoFocus);
    }
    dayLabel = labels[0];
    cycleLabels = {labels[1], labels[2], labels[3]};
    closeButton = Named(new QPushButton(QStringLiteral("Закрыть"), this), Names::closeButton);
    closeButton->setAutoDefault(false);
    closeButton->setToolTip(QStringLiteral("Закрыть..."));
    connect(closeButton, &QPushButton::clicked, this, &ChartWindow::closeWindow);
    setTabOrder(chart, closeButton);

    setMinimumSize(480, 360);
    resize(DefaultSize);
    m_subject.chosen = m_subject.today = Clock::today();
}

void ChartWindow::setSubject(const QString &name, const QDate &birth, const CyclePeriods &periods)
{
    m_subject.name = name;
    m_subject.birth = birth;
    m_subject.periods = periods;
    m_subject.today = Clock::today();
    setWindowTitle(Chart::Title(m_subject));
    chooseDay(m_subject.today);
}

void ChartWindow::chooseDay(const QDate &day)
{
    m_subject.chosen = qBound(FirstCalendarDay, day, LastCalendarDay);
    showDayTexts();
    chart->update();
}

void ChartWindow::showDayTexts()
{
    const QStringList lines = Chart::DayLines(m_subject);
    dayLabel->setText(lines.value(0));
    for (int c = 0; c < 3; ++c)
        cycleLabels[std::size_t(c)]->setText(lines.value(c + 1));
    chart->setAccessibleDescription(lines.join(QLatin1Char('\n')));
}

void ChartWindow::closeWindow() { answer(DialogResult::Ok); }

void ChartWindow::opening() { chart->setFocus(Qt::OtherFocusReason); }

void ChartWindow::resizeEvent(QResizeEvent *event)
{
    FixedDialog::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int top = h - TextHeight;
    chart->setGeometry(0, 0, w, top);
    dayLabel->setGeometry(16, top + 6, w - 32, 20);
    for (int c = 0; c < 3; ++c)
        cycleLabels[std::size_t(c)]->setGeometry(16, top + 30 + 20 * c, w - 130, 20);
    closeButton->setGeometry(w - 93, h - 31, 77, 23);
}
