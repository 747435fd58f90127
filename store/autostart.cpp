#include "store/autostart.h"

#include <QCoreApplication>
#include <QDir>

#ifdef Q_OS_WIN
#include <QSettings>
#else
#include "model/errors.h"
#include "store/filewrite.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#endif

namespace AutoStart {

QString ProgramPath() { return QDir::toNativeSeparators(QCoreApplication::applicationFilePath()); }

#ifdef Q_OS_WIN

namespace {
QString RunKey() { return QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"); }
}

std::optional<QString> Find()
{
    QSettings key(RunKey(), QSettings::NativeFormat);
    const QString name = QString::fromLatin1(EntryName);
    if (key.status() != QSettings::NoError || !key.contains(name))
        return std::nullopt;
    return key.value(name).toString();
}

bool Delete()
{
    QSettings key(RunKey(), QSettings::NativeFormat);
    const QString name = QString::fromLatin1(EntryName);
    key.remove(name);
    key.sync();
    return key.status() == QSettings::NoError && !key.contains(name);
}

bool Create(const QString &programPath)
{
    QSettings key(RunKey(), QSettings::NativeFormat);
    key.setValue(QString::fromLatin1(EntryName), QDir::toNativeSeparators(programPath));
    key.sync();
    return key.status() == QSettings::NoError;
}

#else

namespace {
// Characters that make an argument of an Exec line need quotes.
bool NeedsQuotes(const QString &arg)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (arg.isEmpty())
        return true;
    for (const QChar c : arg) {
        if (reserved.contains(c))
            return true;
    }
    return false;
}

// The escapes every string value of a desktop entry may hold.
QString EscapeStringValue(const QString &s)
{
    QString out;
    out.reserve(s.size() + 8);
    for (const QChar c : s) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\r': out += QLatin1String("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

// Unknown escapes stay as they are, backslash included.
QString UnescapeStringValue(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c != QLatin1Char('\\') || i + 1 >= s.size()) {
            out += c;
            continue;
        }
        const QChar n = s[i + 1];
        switch (n.unicode()) {
        case 's': out += QLatin1Char(' '); break;
        case 'n': out += QLatin1Char('\n'); break;
        case 't': out += QLatin1Char('\t'); break;
        case 'r': out += QLatin1Char('\r'); break;
        case '\\': out += QLatin1Char('\\'); break;
        default: out += c; out += n; break;
        }
        ++i;
    }
    return out;
}

QString ConfigHome()
{
    // A relative or empty value is to be ignored.
    const QString env = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!env.isEmpty() && QDir::isAbsolutePath(env))
        return env;
    return QDir::homePath() + QStringLiteral("/.config");
}

QByteArray DesktopEntry(const QString &programPath)
{
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Лунофар\n"
                                        "Exec=%1\n"
                                        "Terminal=false\n")
                             .arg(ExecValue(programPath));
    return text.toUtf8();
}
}

QString DesktopFilePath()
{
    return ConfigHome() + QStringLiteral("/autostart/") + QString::fromLatin1(EntryName) + QStringLiteral(".desktop");
}

QString ExecValue(const QString &programPath)
{
    QString arg = programPath;
    arg.replace(QLatin1Char('%'), QLatin1String("%%")); // a lone % would start a field code
    if (NeedsQuotes(arg)) {
        QString quoted = QStringLiteral("\"");
        for (const QChar c : arg) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        quoted += QLatin1Char('"');
        arg = quoted;
    }
    return EscapeStringValue(arg);
}

QString ProgramFromExecValue(const QString &value)
{
    const QString s = UnescapeStringValue(value);
    qsizetype i = 0;
    while (i < s.size() && (s[i] == QLatin1Char(' ') || s[i] == QLatin1Char('\t')))
        ++i;
    QString arg;
    if (i < s.size() && s[i] == QLatin1Char('"')) {
        for (++i; i < s.size() && s[i] != QLatin1Char('"'); ++i) {
            if (s[i] == QLatin1Char('\\') && i + 1 < s.size()) {
                const QChar n = s[i + 1];
                if (n == QLatin1Char('"') || n == QLatin1Char('`') || n == QLatin1Char('$') || n == QLatin1Char('\\')) {
                    arg += n;
                    ++i;
                    continue;
                }
            }
            arg += s[i];
        }
    } else {
        for (; i < s.size() && !s[i].isSpace(); ++i)
            arg += s[i];
    }
    arg.replace(QLatin1String("%%"), QLatin1String("%"));
    return arg;
}

std::optional<QString> Find()
{
    QFile file(DesktopFilePath());
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    bool inMainGroup = false;
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line.trimmed() == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || line.left(eq).trimmed() != QLatin1String("Exec"))
            continue;
        QString value = line.mid(eq + 1);
        while (value.startsWith(QLatin1Char(' ')) || value.startsWith(QLatin1Char('\t')))
            value.remove(0, 1);
        return ProgramFromExecValue(value);
    }
    // An entry of that name that starts nothing: it names no file.
    return QString();
}

bool Delete()
{
    const QString path = DesktopFilePath();
    QFile::remove(path);
    return !QFileInfo::exists(path);
}

bool Create(const QString &programPath)
{
    const QString path = DesktopFilePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    try {
        WriteWholeFile(path, DesktopEntry(programPath), NotAFile::Refused);
    } catch (const KelvoraError &) {
        return false;
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                    QFileDevice::ReadOther);
    return true;
}

#endif

}
