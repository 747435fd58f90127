#include "outputs/spreadsheetapp.h"

#include "model/errors.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

#include <memory>

namespace {
QString Native(const QString &path) { return QDir::toNativeSeparators(path); }

KelvoraError CannotOpen(const QString &path)
{
    return KelvoraError(QStringLiteral("Cannot open %1 in the spreadsheet program").arg(Native(path)));
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// An opener that ends with an error this soon failed to open the workbook;
// one that ends later was the spreadsheet program itself, closed by the user.
constexpr qint64 OpenerGraceMs = 10000;

// The desktop entry the MIME database names for .xlsx files ("calc.desktop").
QString DefaultEntryId()
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty())
        return QString();
    QProcess query;
    query.setProcessChannelMode(QProcess::SeparateChannels);
    query.start(tool, {QStringLiteral("query"), QStringLiteral("default"), SpreadsheetApps::XlsxMimeType});
    if (!query.waitForFinished(10000)) {
        query.kill();
        query.waitForFinished(1000);
        return QString();
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(query.readAllStandardOutput().trimmed());
}

// The entry's file in the applications folders; "vendor-app.desktop" may
// also be "vendor/app.desktop".
QString FindDesktopEntry(const QString &id)
{
    if (id.isEmpty() || id.contains(QLatin1Char('/')))
        return QString();
    QStringList names{id};
    if (const qsizetype dash = id.indexOf(QLatin1Char('-')); dash > 0)
        names << id.left(dash) + QLatin1Char('/') + id.mid(dash + 1);
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        for (const QString &name : names)
            if (const QString file = QDir(folder).filePath(name); QFileInfo(file).isFile())
                return file;
    return QString();
}

// A value of the [Desktop Entry] group, with the file's escapes undone.
QString EntryValue(const QByteArray &entry, const QByteArray &key)
{
    bool inGroup = false;
    for (QByteArray line : entry.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inGroup || !line.startsWith(key))
            continue;
        const QByteArray rest = line.mid(key.size()).trimmed();
        if (!rest.startsWith('='))
            continue;
        const QString raw = QString::fromUtf8(rest.mid(1).trimmed());
        QString value;
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] != QLatin1Char('\\') || i + 1 == raw.size()) {
                value += raw[i];
                continue;
            }
            const QChar c = raw[++i];
            value += c == QLatin1Char('s') ? QChar(u' ') : c == QLatin1Char('t') ? QChar(u'\t') : c;
        }
        return value;
    }
    return QString();
}

// The program an entry starts: its TryExec, else the first word of its Exec
// (which may be quoted, with \" \` \$ \\ inside the quotes).
QString EntryProgram(const QByteArray &entry)
{
    const QString tryExec = EntryValue(entry, "TryExec");
    if (!tryExec.isEmpty())
        return tryExec;
    const QString exec = EntryValue(entry, "Exec").trimmed();
    if (!exec.startsWith(QLatin1Char('"')))
        return exec.section(QLatin1Char(' '), 0, 0);
    QString word;
    for (qsizetype i = 1; i < exec.size(); ++i) {
        if (exec[i] == QLatin1Char('"'))
            return word;
        if (exec[i] == QLatin1Char('\\') && i + 1 < exec.size())
            ++i;
        word += exec[i];
    }
    return QString(); // no closing quote: not a program anyone can start
}

bool ProgramExists(const QString &program)
{
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable();
    }
    return !QStandardPaths::findExecutable(program).isEmpty();
}

// A desktop entry that names a program that is not there opens nothing; the
// opener would only fall back to a browser or fail. An entry we cannot find
// is left to the opener, which knows more places than we do.
void CheckRegisteredProgram(const QString &path)
{
    const QString file = FindDesktopEntry(DefaultEntryId());
    if (file.isEmpty())
        return;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return;
    const QString program = EntryProgram(in.readAll());
    if (program.isEmpty() || !ProgramExists(program))
        throw KelvoraError(QStringLiteral("Cannot open %1: the spreadsheet program %2, named in %3, is not installed")
                               .arg(Native(path), program.isEmpty() ? QStringLiteral("?") : program, Native(file)));
}
#endif
}

bool DesktopSpreadsheetApp::isRegistered()
{
#if defined(Q_OS_WIN)
    // The class the .xlsx extension points at.
    QSettings ext(QStringLiteral("HKEY_CLASSES_ROOT\\.xlsx"), QSettings::NativeFormat);
    return !ext.value(QStringLiteral("Default")).toString().isEmpty();
#elif defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !DefaultEntryId().isEmpty();
#else
    return true;
#endif
}

void DesktopSpreadsheetApp::open(const QString &path, QObject *context,
                                 std::function<void(const QString &)> lateFailure)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    CheckRegisteredProgram(path);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty()) {
        // The opener runs as our child so that its answer can be heard; in a
        // bare session it runs the spreadsheet program itself, which must
        // outlive us without writing into pipes nobody reads.
        auto *process = new QProcess(context);
        QObject *listener = context ? context : process;
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        process->start(opener, {path});
        if (!process->waitForStarted(10000)) {
            delete process;
            throw CannotOpen(path);
        }
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        QObject::connect(process, &QProcess::finished, listener,
                         [process, path, started, lateFailure](int code, QProcess::ExitStatus status) {
                             process->deleteLater();
                             if (started->elapsed() > OpenerGraceMs || (status == QProcess::NormalExit && code == 0))
                                 return;
                             if (lateFailure)
                                 lateFailure(QStringLiteral("Cannot open %1 in the spreadsheet program: the opener "
                                                            "ended with code %2")
                                                 .arg(Native(path))
                                                 .arg(status == QProcess::NormalExit ? code : -1));
                         });
        return;
    }
#else
    Q_UNUSED(context);
    Q_UNUSED(lateFailure);
#endif
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        throw CannotOpen(path);
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
