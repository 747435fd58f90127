// Helpers shared by the test executables.
#include "testsupport.h"

#include "model/clock.h"
#include "store/cp1251.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace TestSupport {

void SetUpLocaleAndClock(const QDateTime &now)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QStandardPaths::setTestModeEnabled(true);
    Clock::setFixed(now);
}

void WriteSettingsFile(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        const auto encoded = EncodeCp1251(line);
        Q_ASSERT(encoded);
        bytes += *encoded + "\r\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
}

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList FolderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList ReadSettingsLines(const QString &path)
{
    QByteArray bytes = ReadBytes(path);
    if (bytes.isEmpty())
        return {};
    if (bytes.endsWith("\r\n"))
        bytes.chop(2);
    QStringList lines;
    for (const QByteArray &line : bytes.split('\n'))
        lines << DecodeCp1251(line.endsWith('\r') ? line.chopped(1) : line);
    return lines;
}

Person MakePerson(const QString &name, int day, int month, int year)
{
    Person p;
    p.name = name;
    p.day = quint8(day);
    p.month = quint8(month);
    p.year = quint16(year);
    return p;
}

int InChildProcess(const std::function<int()> &check)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0)
        ::_exit(check());
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int AsOrdinaryUser(const std::function<int()> &check)
{
    if (::geteuid() != 0)
        return check();
    return InChildProcess([&] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(OrdinaryUser) != 0 || ::setuid(OrdinaryUser) != 0)
            return 98;
        return check();
    });
}

QStringList PeriodLines() { return {"H23,6884368", "E28,42612413", "I33,16381152"}; }

QStringList PersonLines(const QString &name, int day, int month, int year, int halfDay, int picture)
{
    return {"[" + name + "]", QString::number(day), QString::number(month), QString::number(year),
            QString::number(halfDay), QString::number(picture)};
}

}
