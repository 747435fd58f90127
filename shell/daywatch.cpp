#include "shell/daywatch.h"

#include <QSocketNotifier>
#include <QTimeZone>
#include <QTimer>

#include <limits>

#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#endif

namespace {
constexpr qint64 ShortestWait = 1000;
}

DayWatch::DayWatch(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_LINUX
    // A wall-clock timer set for an absolute time runs on through a suspend
    // and fires on resume when its time has passed; one that may be
    // cancelled also wakes when the clock is set, forward or back (and the
    // kernel treats a resume as such a setting).
    m_timerFd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_timerFd >= 0) {
        m_timerNotifier = new QSocketNotifier(m_timerFd, QSocketNotifier::Read, this);
        connect(m_timerNotifier, &QSocketNotifier::activated, this, &DayWatch::timerFired);
    }
    // Picking another zone replaces /etc/localtime (a new link moved or
    // made in its place): its folder tells, and local time follows the new
    // zone at the next read of the clock. With TZ set, the zone cannot
    // change under us.
    if (qEnvironmentVariableIsEmpty("TZ")) {
        m_zoneFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_zoneFd >= 0 && ::inotify_add_watch(m_zoneFd, "/etc", IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
            ::close(m_zoneFd);
            m_zoneFd = -1;
        }
        if (m_zoneFd >= 0) {
            m_zoneNotifier = new QSocketNotifier(m_zoneFd, QSocketNotifier::Read, this);
            connect(m_zoneNotifier, &QSocketNotifier::activated, this, &DayWatch::zoneFolderChanged);
        }
    }
#endif
}

DayWatch::~DayWatch()
{
#ifdef Q_OS_LINUX
    delete m_timerNotifier;
    delete m_zoneNotifier;
    if (m_timerFd >= 0)
        ::close(m_timerFd);
    if (m_zoneFd >= 0)
        ::close(m_zoneFd);
#endif
}

QDateTime DayWatch::nextDayStart(const QDateTime &now)
{
    const QDate tomorrow = now.date().addDays(1);
    // startOfDay gives the first moment that exists where a zone skips midnight.
    switch (now.timeSpec()) {
    case Qt::TimeZone:
        return tomorrow.startOfDay(now.timeZone());
    case Qt::OffsetFromUTC:
        return tomorrow.startOfDay(Qt::OffsetFromUTC, now.offsetFromUtc());
    default:
        return tomorrow.startOfDay(now.timeSpec());
    }
}

qint64 DayWatch::waitFrom(const QDateTime &now)
{
    const QDateTime next = nextDayStart(now);
    const qint64 wait = next.isValid() ? now.msecsTo(next) : 0;
    return qMax(wait, ShortestWait);
}

void DayWatch::arm(const QDateTime &now)
{
    const qint64 wait = waitFrom(now);
#ifdef Q_OS_LINUX
    if (m_timerFd >= 0) {
        timespec real{};
        ::clock_gettime(CLOCK_REALTIME, &real);
        const qint64 at = qint64(real.tv_sec) * 1000 + real.tv_nsec / 1000000 + wait;
        itimerspec spec{};
        spec.it_value.tv_sec = time_t(at / 1000);
        spec.it_value.tv_nsec = long(at % 1000) * 1000000;
        if (::timerfd_settime(m_timerFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr) == 0)
            return;
    }
#endif
    if (!m_fallback) {
        m_fallback = new QTimer(this);
        m_fallback->setSingleShot(true);
        // A coarse timer may fire minutes early on a wait of hours.
        m_fallback->setTimerType(Qt::PreciseTimer);
        connect(m_fallback, &QTimer::timeout, this, &DayWatch::dayMayHaveChanged);
    }
    m_fallback->start(int(qMin<qint64>(wait, std::numeric_limits<int>::max())));
}

void DayWatch::timerFired()
{
#ifdef Q_OS_LINUX
    // Expired or cancelled by a clock change: either way the read clears it
    // (a cancelled one answers ECANCELED) until the next arm.
    quint64 expirations = 0;
    [[maybe_unused]] const ssize_t got = ::read(m_timerFd, &expirations, sizeof expirations);
#endif
    emit dayMayHaveChanged();
}

void DayWatch::zoneFolderChanged()
{
#ifdef Q_OS_LINUX
    // Other files of the folder change too; only the zone's own entry counts.
    bool zone = false;
    alignas(inotify_event) char buffer[4096];
    ssize_t got;
    while ((got = ::read(m_zoneFd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            if (event->len > 0 && std::strcmp(event->name, "localtime") == 0)
                zone = true;
            at += ssize_t(sizeof(inotify_event)) + event->len;
        }
    }
    if (zone)
        emit dayMayHaveChanged();
#endif
}
