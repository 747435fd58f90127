#pragma once
// Wakes the program when the local date may have changed: at the start of the
// next day, when the wall clock is set, after a suspend and when the system's
// time zone is replaced. Between those it costs no wakeup at all.
#include <QDateTime>
#include <QObject>

class QSocketNotifier;
class QTimer;

class DayWatch : public QObject {
    Q_OBJECT
public:
    explicit DayWatch(QObject *parent = nullptr);
    ~DayWatch() override;

    // Arms the watch for the start of the day after now's date (a time read
    // through the clock seam; the wait is measured on the real clock).
    void arm(const QDateTime &now);
    // The first moment of the day after now's date in now's zone: not
    // always midnight, and a day may last 23 or 25 hours.
    static QDateTime nextDayStart(const QDateTime &now);
    // How long the watch waits from now: to the next day's start, never less
    // than a second so that a clock out of step cannot make it spin.
    static qint64 waitFrom(const QDateTime &now);

signals:
    // The day may have changed: read the clock again, then arm again.
    void dayMayHaveChanged();

private:
    void timerFired();
    void zoneFolderChanged();

    int m_timerFd = -1;
    QSocketNotifier *m_timerNotifier = nullptr;
    int m_zoneFd = -1;
    QSocketNotifier *m_zoneNotifier = nullptr;
    // Where the system offers no clock-change notice: a plain timer.
    QTimer *m_fallback = nullptr;
};
