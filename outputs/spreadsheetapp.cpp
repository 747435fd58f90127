#include "outputs/spreadsheetapp.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

bool DesktopSpreadsheetApp::isRegistered()
{
#if defined(Q_OS_WIN)
    // The class the .xlsx extension points at.
    QSettings ext(QStringLiteral("HKEY_CLASSES_ROOT\\.xlsx"), QSettings::NativeFormat);
    return !ext.value(QStringLiteral("Default")).toString().isEmpty();
#elif defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty())
        return false;
    QProcess query;
    query.setProcessChannelMode(QProcess::SeparateChannels);
    query.start(tool, {QStringLiteral("query"), QStringLiteral("default"), SpreadsheetApps::XlsxMimeType});
    if (!query.waitForFinished(10000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return false;
    return !query.readAllStandardOutput().trimmed().isEmpty();
#else
    return true;
#endif
}

bool DesktopSpreadsheetApp::open(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

namespace SpreadsheetApps {
namespace {
SpreadsheetApp *g_testApp = nullptr;
}

SpreadsheetApp &current()
{
    if (g_testApp)
        return *g_testApp;
    static DesktopSpreadsheetApp desktop;
    return desktop;
}

void setForTests(SpreadsheetApp *app) { g_testApp = app; }
}
