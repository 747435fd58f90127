#include "shell/outputfaults.h"

#include "model/errors.h"
#include "model/numtext.h"
#include "store/cp1251.h"
#include "store/filewrite.h"
#include "store/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Shown(const QString &path) { return QDir::toNativeSeparators(path); }

// Why a settings file cannot be read at all; empty when it can.
QString UnreadableBecause(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return SystemReason(errno);
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("это папка");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("это не обычный файл");
    if (st.st_size > MaxSettingsFileSize)
        return QStringLiteral("он больше %1 МБ").arg(MaxSettingsFileSize / (1024 * 1024));
    if (::access(native.constData(), R_OK) != 0)
        return errno == EACCES ? QStringLiteral("нет права читать его") : SystemReason(errno);
    return QString();
}

// The lines as the settings file is read: CR LF, LF or a lone CR end one.
QList<QByteArray> Lines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.append(bytes.mid(start));
    return lines;
}

QString BinaryIn(const QByteArray &line, qsizetype number)
{
    for (const char c : line) {
        if (uchar(c) < 0x20 && c != '\t')
            return QStringLiteral("в нём двоичные данные (байт 0x%1 в строке %2), а не текст")
                .arg(int(uchar(c)), 2, 16, QLatin1Char('0'))
                .arg(number);
    }
    return QString();
}

// The first thing in a settings file that makes it no settings file, or that
// the loader refuses; empty when there is none.
QString ContentFault(const QByteArray &bytes)
{
    static const QString fields[5] = {QStringLiteral("день рождения"), QStringLiteral("месяц рождения"),
                                      QStringLiteral("год рождения"),
                                      QStringLiteral("половина суток (0 — AM, 1 — PM)"),
                                      QStringLiteral("номер картинки")};
    const QList<QByteArray> lines = Lines(bytes);
    bool anything = false;
    bool settings = false;
    qsizetype i = 0;
    while (i < lines.size()) {
        const QByteArray &line = lines[i++];
        if (const QString binary = BinaryIn(line, i); !binary.isEmpty())
            return binary;
        if (line.trimmed().isEmpty())
            continue;
        anything = true;
        const char first = line[0];
        settings = settings || first == 'H' || first == 'E' || first == 'I' || first == '[';
        if (first != '[')
            continue;
        const QString name = DecodeCp1251(line.mid(1, line.size() - 2));
        for (const QString &field : fields) {
            if (i == lines.size())
                return QStringLiteral("после строки %1 файл кончается, а ожидается %2 человека «%3»")
                    .arg(i)
                    .arg(field, name);
            const QByteArray &value = lines[i++];
            if (const QString binary = BinaryIn(value, i); !binary.isEmpty())
                return binary;
            const QString text = DecodeCp1251(value);
            if (!ParseInteger(text))
                return QStringLiteral("строка %1: «%2» — не целое число, а ожидается %3 человека «%4»")
                    .arg(i)
                    .arg(text, field, name);
        }
    }
    if (anything && !settings)
        return QStringLiteral("в нём нет ни периодов (строк H, E, I), ни людей (строк [имя])");
    return QString();
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file layer's short messages as a reason; empty for any other text.
QString ReasonOfMessage(const QString &message)
{
    if (message == u"Invalid filename")
        return QStringLiteral("недопустимое имя файла");
    if (message == u"File access denied")
        return QStringLiteral("доступ запрещён");
    if (message == u"Disk full")
        return QStringLiteral("на диске нет места");
    const QString io = QStringLiteral("I/O error ");
    if (message.startsWith(io)) {
        bool ok = false;
        const int e = message.mid(io.size()).toInt(&ok);
        return ok ? SystemReason(e) : QString();
    }
    return QString();
}

// Why the file at `path` was not written, found on the spot where the file
// layer's message is too short to tell; empty when neither tells.
QString NotWrittenBecause(const QString &path, const QString &message)
{
    QString target = path;
    try {
        target = FollowLinks(path);
    } catch (const KelvoraError &) {
    }
    const QFileInfo file(target);
    if (file.isDir())
        return QStringLiteral("это папка");
    if (file.exists() && !file.isFile())
        return QStringLiteral("это не обычный файл");
    if (const QString why = FolderFault(file.absolutePath()); !why.isEmpty())
        return why;
    return ReasonOfMessage(message);
}

} // namespace

QString SystemReason(int e)
{
    switch (e) {
    case ENOENT:
        return QStringLiteral("нет такого файла или папки");
    case ENOTDIR:
        return QStringLiteral("часть пути — не папка");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав доступа");
    case EROFS:
        return QStringLiteral("диск открыт только для чтения");
    case EISDIR:
        return QStringLiteral("это папка");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("на диске нет места");
    case EFBIG:
        return QStringLiteral("файл больше, чем разрешено");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя");
    case ELOOP:
        return QStringLiteral("символические ссылки идут по кругу");
    case EBADF:
        return QStringLiteral("поток закрыт");
    case EPIPE:
        return QStringLiteral("читающая программа закрыла канал");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода");
    default:
        // The system's own words, in the user's language where it has them.
        return QStringLiteral("ошибка %1 (%2)").arg(e).arg(QString::fromLocal8Bit(std::strerror(e)));
    }
}

QString FolderFault(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return QStringLiteral("нет папки %1").arg(Shown(folder));
    if (!info.isDir())
        return QStringLiteral("%1 — не папка").arg(Shown(folder));
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0) {
        if (errno == EROFS)
            return QStringLiteral("папка %1 на диске, открытом только для чтения").arg(Shown(folder));
        return QStringLiteral("нет права писать в папку %1").arg(Shown(folder));
    }
    return QString();
}

void ReadSettingsForOutput(const QString &path, bool given, PersonList &people, CyclePeriods &periods)
{
    const auto fault = [&path](const QString &why) {
        return KelvoraError(QStringLiteral("Файл настроек %1 не прочитан: %2.").arg(Shown(path), why));
    };
    // The usual file may be missing, as for the tray program: an empty family.
    if (!given && !QFileInfo::exists(path)) {
        LoadSettingsFile(path, people, periods);
        return;
    }
    if (const QString why = UnreadableBecause(path); !why.isEmpty())
        throw fault(why);
    try {
        LoadSettingsFile(path, people, periods);
    } catch (const KelvoraError &e) {
        const QString why = ContentFault(ReadAll(path));
        if (!why.isEmpty())
            throw fault(why);
        const QString reason = ReasonOfMessage(e.message());
        throw reason.isEmpty() ? e : fault(reason);
    }
    // The tray program takes such a file for an empty family; asked for an
    // output, the user more likely named the wrong file.
    if (const QString why = ContentFault(ReadAll(path)); !why.isEmpty())
        throw fault(why);
}

void CheckPersonForOutput(const PersonList &people, int index, const QString &settingsPath)
{
    const QString file = Shown(settingsPath);
    if (index < 0 || index >= people.count()) {
        if (people.count() > 0)
            throw KelvoraError(QStringLiteral("Нет человека с номером %1: номера в списке от 0 до %2 (файл настроек %3).")
                                   .arg(index)
                                   .arg(people.highIndex())
                                   .arg(file));
        if (QFileInfo::exists(settingsPath))
            throw KelvoraError(
                QStringLiteral("Нет человека с номером %1: список пуст (файл настроек %2).").arg(index).arg(file));
        throw KelvoraError(
            QStringLiteral("Нет человека с номером %1: список пуст, файла настроек %2 нет.").arg(index).arg(file));
    }
    const Person &p = people.at(index);
    if (p.year < 1 || p.year > 9999 || !QDate::isValid(p.year, p.month, p.day)) {
        // As --list shows it: as stored.
        const QString date = QStringLiteral("%1-%2-%3")
                                 .arg(p.year, 4, 10, QLatin1Char('0'))
                                 .arg(p.month, 2, 10, QLatin1Char('0'))
                                 .arg(p.day, 2, 10, QLatin1Char('0'));
        throw KelvoraError(
            QStringLiteral("У человека %1 «%2» дата рождения %3, а такой даты нет в календаре (файл настроек %4).")
                .arg(QString::number(index), p.name, date, file));
    }
}

void CheckYearForOutput(int year)
{
    if (year < 1 || year > 9999)
        throw KelvoraError(QStringLiteral("Год %1 вне календаря: допустимы годы от 1 до 9999.").arg(year));
}

void WriteOutputFile(const QString &path, const std::function<void()> &write)
{
    try {
        write();
    } catch (const KelvoraError &e) {
        const QString why = NotWrittenBecause(path, e.message());
        if (why.isEmpty())
            throw;
        throw KelvoraError(QStringLiteral("Не удалось записать %1: %2.").arg(Shown(path), why));
    }
}
