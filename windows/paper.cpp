#include "windows/paper.h"

#include "model/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {
Paper *g_paper = nullptr;

using Entry = Paper *(*)(const char *version);
}

QString Paper::moduleFileName() { return QStringLiteral("libkelvora_paper.so"); }

QStringList Paper::modulePaths()
{
    const QDir home(QCoreApplication::applicationDirPath());
    return {QDir::cleanPath(home.filePath(QStringLiteral(KELVORA_PAPER_DIR) + QLatin1Char('/') + moduleFileName())),
            home.filePath(moduleFileName())};
}

Paper &Paper::get()
{
    if (g_paper)
        return *g_paper;
    const QStringList paths = modulePaths();
    for (const QString &path : paths) {
        if (!QFileInfo(path).isFile())
            continue;
        QLibrary module(path);
        // Every symbol now: a module that does not fit fails here, with a
        // message, not later in the middle of a page.
        module.setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (!module.load())
            throw KelvoraError(QStringLiteral("Модуль печати и таблиц не загружается: %1").arg(module.errorString()));
        const auto entry = reinterpret_cast<Entry>(module.resolve("kelvora_paper"));
        Paper *paper = entry ? entry(KELVORA_VERSION) : nullptr;
        if (!paper)
            throw KelvoraError(QStringLiteral("Модуль печати и таблиц %1 не от этой версии программы.").arg(path));
        g_paper = paper;
        return *g_paper;
    }
    throw KelvoraError(QStringLiteral("Не найден модуль печати и таблиц %1: программа установлена не полностью.")
                           .arg(paths.first()));
}
