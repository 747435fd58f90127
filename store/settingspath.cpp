#include "store/settingspath.h"

#include "model/errors.h"
#include "store/filewrite.h"
#include "store/settingsfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace {
const QString kFileName = QStringLiteral("Kelvora.ini");

// A file that exists but may not be replaced counts like a folder that may
// not be written: every save there would fail.
bool BesideIsTheFile(const QString &exeFolder, const QString &userFolder,
                     const std::function<bool(const QString &)> &canWrite)
{
    const QString beside = QDir(exeFolder).filePath(kFileName);
    return userFolder.isEmpty() || (canWrite(exeFolder) && (!QFileInfo::exists(beside) || canWrite(beside)));
}
}

bool MayWrite(const QString &path)
{
    // access() knows the owner, the group, ACLs and read-only mounts; a new
    // file also needs the right to enter the folder.
    const QByteArray native = QFile::encodeName(path);
    const bool isDir = QFileInfo(path).isDir();
    return ::access(native.constData(), isDir ? (W_OK | X_OK) : W_OK) == 0;
}

QString ChooseSettingsPath(const QString &exeFolder, const QString &userFolder,
                           const std::function<bool(const QString &)> &canWrite)
{
    const QString beside = QDir(exeFolder).filePath(kFileName);
    const QFileInfo besideInfo(beside);
    if (BesideIsTheFile(exeFolder, userFolder, canWrite))
        return beside;

    const QString own = QDir(userFolder).filePath(kFileName);
    if (QFileInfo::exists(own))
        return own;
    if (!QDir().mkpath(userFolder))
        return besideInfo.exists() ? beside : own; // the people stay visible; a save reports the error
    // A shared file the loader refuses is not copied: read where it is, it is
    // reported once instead of hanging the start or filling the memory.
    if (besideInfo.exists() && (!besideInfo.isFile() || besideInfo.size() > MaxSettingsFileSize))
        return beside;
    if (besideInfo.isFile()) {
        // The user's copy starts as the shared file; if it cannot be made, the
        // shared file is still read, so no one disappears from the menu.
        QFile in(beside);
        if (!in.open(QIODevice::ReadOnly))
            return beside;
        const QByteArray bytes = in.readAll();
        if (in.error() != QFileDevice::NoError)
            return beside;
        try {
            WriteWholeFile(own, bytes, NotAFile::Refused);
        } catch (const KelvoraError &) {
            return beside;
        }
    }
    return own;
}

QString SettingsPath()
{
    return ChooseSettingsPath(QCoreApplication::applicationDirPath(),
                              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), MayWrite);
}

QString FindSettingsPath(const QString &exeFolder, const QString &userFolder,
                         const std::function<bool(const QString &)> &canWrite)
{
    const QString beside = QDir(exeFolder).filePath(kFileName);
    if (BesideIsTheFile(exeFolder, userFolder, canWrite))
        return beside;
    const QString own = QDir(userFolder).filePath(kFileName);
    if (QFileInfo::exists(own) || !QFileInfo(beside).isFile())
        return own;
    return beside;
}

QString FindSettingsPath()
{
    return FindSettingsPath(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), MayWrite);
}
