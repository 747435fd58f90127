#include "shell/singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace {
QString UserName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty())
        user = QDir::home().dirName();
    // Only what is safe in a file name.
    QString safe;
    for (QChar c : user)
        safe += (c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'.') ? c : QChar(u'_');
    return safe.isEmpty() ? QStringLiteral("user") : safe;
}
}

QString SingleInstanceLockPath()
{
    // Test runs must not keep each other, or a running program, from starting.
    if (QStandardPaths::isTestModeEnabled())
        return QDir(QDir::tempPath())
            .filePath(QStringLiteral("kelvora-test-%1-%2.lock").arg(UserName()).arg(QCoreApplication::applicationPid()));
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("kelvora-%1.lock").arg(UserName()));
}

std::unique_ptr<QLockFile> TakeSingleInstanceLock(const QString &path, bool *anotherCopyRuns)
{
    *anotherCopyRuns = false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto lock = std::make_unique<QLockFile>(path);
    // Held for the whole run: only a dead owner makes a lock stale, never its age.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    if (lock->error() == QLockFile::LockFailedError)
        *anotherCopyRuns = true;
    return nullptr;
}
