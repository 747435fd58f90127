#include "windows/paper.h"

#include "model/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
Paper *g_paper = nullptr;

using Entry = Paper *(*)(const char *version);

// Code is run in the program only from a file no one but root or the user
// could have put there or changed: the file and its folder belong to one of
// them and are writable by no one else.
bool OwnedSafely(const struct stat &st)
{
    return (st.st_uid == 0 || st.st_uid == ::geteuid()) && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The module's file opened for loading, when it is there and safe; -1 if not.
int OpenSafeModule(const QString &path)
{
    const QFileInfo info(path);
    const int folder = ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return -1;
    struct stat st {};
    int fd = -1;
    if (::fstat(folder, &st) == 0 && OwnedSafely(st))
        fd = ::openat(folder, QFile::encodeName(info.fileName()).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    ::close(folder);
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !OwnedSafely(st))) {
        ::close(fd);
        fd = -1;
    }
    return fd;
}
}

QString Paper::moduleFileName() { return QStringLiteral("libkelvora_paper.so"); }

QStringList Paper::modulePaths()
{
    const QDir home(QCoreApplication::applicationDirPath());
    return {home.filePath(moduleFileName()),
            QDir::cleanPath(home.filePath(QStringLiteral(KELVORA_PAPER_DIR) + QLatin1Char('/') + moduleFileName()))};
}

Paper &Paper::get()
{
    if (g_paper)
        return *g_paper;
    const QStringList paths = modulePaths();
    for (const QString &path : paths) {
        const int fd = OpenSafeModule(path);
        if (fd < 0)
            continue;
        // Loaded from the file just checked, whatever happens to its name
        // meanwhile; every symbol now: a module that does not fit fails here,
        // with a message, not later in the middle of a page.
        void *module = ::dlopen(QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData(), RTLD_NOW | RTLD_LOCAL);
        ::close(fd);
        if (!module)
            throw KelvoraError(QStringLiteral("Модуль печати и таблиц не загружается: %1").arg(QString::fromLocal8Bit(::dlerror())));
        const auto entry = reinterpret_cast<Entry>(::dlsym(module, "kelvora_paper"));
        Paper *paper = entry ? entry(KELVORA_VERSION) : nullptr;
        if (!paper)
            throw KelvoraError(QStringLiteral("Модуль печати и таблиц %1 не от этой версии программы.").arg(path));
        g_paper = paper;
        return *g_paper;
    }
    throw KelvoraError(QStringLiteral("Не найден модуль печати и таблиц %1: программа установлена не полностью.")
                           .arg(paths.last()));
}
