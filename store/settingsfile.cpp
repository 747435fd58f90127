#include "store/settingsfile.h"

#include "model/errors.h"
#include "model/numtext.h"
#include "store/cp1251.h"
#include "store/filewrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Lines end at CR LF, LF or a lone CR; a last line without an end still
// counts. Read one at a time from the file's bytes, never all kept at once.
class Lines {
public:
    explicit Lines(const QByteArray &bytes) : m_data(bytes.constData()), m_size(bytes.size()) {}
    bool atEnd() const { return m_pos >= m_size; }
    // The next line; an empty one at the end.
    QByteArray next()
    {
        qsizetype i = m_pos;
        while (i < m_size && m_data[i] != '\r' && m_data[i] != '\n')
            ++i;
        QByteArray line(m_data + m_pos, i - m_pos);
        if (i < m_size) {
            if (m_data[i] == '\r' && i + 1 < m_size && m_data[i + 1] == '\n')
                ++i;
            ++i;
        }
        m_pos = i;
        return line;
    }

private:
    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

// Periods are written with the locale's decimal separator; a separator that
// Windows-1251 has no byte for (Persian, Arabic) cannot stand in the file, so
// there the file keeps a point, both ways.
QLocale FileNumberLocale()
{
    const QLocale locale;
    return EncodeCp1251(locale.decimalPoint()) ? locale : QLocale::c();
}

KelvoraError NotAnInteger(const QString &text)
{
    return KelvoraError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

[[noreturn]] void FailRead(int e) { throw KelvoraError(FileErrorMessage(e)); }

// Only a regular file is read: opening a pipe waits for a writer, a device
// may never end, and neither holds settings.
void RequireRegularFile(const QString &path, const struct stat &st)
{
    if (S_ISDIR(st.st_mode))
        FailRead(EISDIR);
    if (!S_ISREG(st.st_mode))
        FailRead(EACCES);
    if (st.st_size > MaxSettingsFileSize)
        throw KelvoraError(QStringLiteral("Файл настроек %1 слишком велик: больше %2 МБ")
                               .arg(QDir::toNativeSeparators(path))
                               .arg(MaxSettingsFileSize / (1024 * 1024)));
}

QByteArray ReadWholeFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        FailRead(errno);
    RequireRegularFile(path, st);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        FailRead(errno);
    // The file may have been swapped since the look above.
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        FailRead(e);
    }
    try {
        RequireRegularFile(path, st);
    } catch (...) {
        ::close(fd);
        throw;
    }
    QByteArray data;
    data.reserve(qsizetype(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            ::close(fd);
            FailRead(e);
        }
        if (n == 0)
            break;
        data.append(buf, n);
        if (data.size() > MaxSettingsFileSize) { // grew while being read
            ::close(fd);
            st.st_size = data.size();
            RequireRegularFile(path, st);
        }
    }
    ::close(fd);
    return data;
}
}

namespace {
KelvoraError TooManyPeople(const QString &path)
{
    const QString file = path.isEmpty() ? QString() : QLatin1Char(' ') + QDir::toNativeSeparators(path);
    return KelvoraError(QStringLiteral("Файл настроек%1 слишком велик: больше %2 человек")
                            .arg(file, QLocale().toString(MaxSettingsPeople)));
}

void Parse(const QByteArray &bytes, PersonList &people, CyclePeriods &periods, const QString &path)
{
    PersonList list;
    CyclePeriods per;
    const QLocale numbers = FileNumberLocale();
    Lines lines(bytes);
    while (!lines.atEnd()) {
        const QByteArray line = lines.next();
        if (line.isEmpty())
            continue;
        const char first = line[0];
        if (first == '[') {
            if (list.count() == MaxSettingsPeople)
                throw TooManyPeople(path);
            Person p;
            p.name = line.size() >= 2 ? DecodeCp1251(line.mid(1, line.size() - 2)) : QString();
            qint32 values[5];
            for (qint32 &v : values) {
                const QString text = DecodeCp1251(lines.next());
                const std::optional<qint32> n = ParseInteger(text);
                if (!n)
                    throw NotAnInteger(text);
                v = *n;
            }
            // Each value is kept in its field's width, as the file format always did.
            p.day = quint8(values[0]);
            p.month = quint8(values[1]);
            p.year = quint16(values[2]);
            p.halfDay = quint8(values[3]);
            p.picture = quint8(values[4]);
            list.append(p);
        } else if (first == 'H' || first == 'E' || first == 'I') {
            const std::optional<double> v = ParseReal(DecodeCp1251(line.mid(1)), numbers);
            if (!v)
                continue;
            (first == 'H' ? per.physical : first == 'E' ? per.emotional : per.intellectual) = *v;
        }
    }
    people = std::move(list);
    periods = per;
}
}

void ParseSettings(const QByteArray &bytes, PersonList &people, CyclePeriods &periods)
{
    Parse(bytes, people, periods, QString());
}

void LoadSettingsFile(const QString &path, PersonList &people, CyclePeriods &periods)
{
    if (!QFileInfo::exists(path)) {
        people.clear();
        periods = CyclePeriods{};
        return;
    }
    Parse(ReadWholeFile(path), people, periods, path);
}

bool NameFitsSettingsFile(const QString &name)
{
    if (name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n')))
        return false;
    return EncodeCp1251(name).has_value();
}

QByteArray SerializeSettings(const PersonList &people, const CyclePeriods &periods)
{
    QByteArray out;
    auto line = [&out](const QByteArray &b) {
        out += b;
        out += "\r\n";
    };
    const QLocale numbers = FileNumberLocale();
    // Digits, sign, exponent and a separator the code page holds: always encodable.
    auto real = [&numbers](double v) { return EncodeCp1251(FormatReal(v, numbers)).value_or(QByteArray()); };
    line('H' + real(periods.physical));
    line('E' + real(periods.emotional));
    line('I' + real(periods.intellectual));
    for (int k = 0; k < people.count(); ++k) {
        const Person &p = people.at(k);
        const std::optional<QByteArray> name = EncodeCp1251(p.name);
        if (!name || !NameFitsSettingsFile(p.name))
            throw KelvoraError(QStringLiteral("Имя \"%1\" нельзя сохранить в файле настроек: в нём есть знаки, "
                                              "которых нет в кодировке Windows-1251, или перевод строки")
                                   .arg(p.name));
        line('[' + *name + ']');
        line(QByteArray::number(p.day));
        line(QByteArray::number(p.month));
        line(QByteArray::number(p.year));
        line(QByteArray::number(p.halfDay));
        line(QByteArray::number(p.picture));
    }
    return out;
}

namespace {
// A file that is there but cannot be read or understood is kept beside as
// "<name>.bad" before a save replaces it: the people in it may exist nowhere
// else. An older ".bad" gives way to the newer one; whatever stands at that
// name (another user's link included) is replaced, never written into.
void KeepUnreadableFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return; // nothing there, or something the save itself refuses
    const QString bad = path + QStringLiteral(".bad");
    QByteArray bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const KelvoraError &) {
        // Not even readable: move it aside whole; that needs no read access.
        if (::rename(native.constData(), QFile::encodeName(bad).constData()) != 0)
            throw KelvoraError(FileErrorMessage(errno));
        return;
    }
    try {
        PersonList people;
        CyclePeriods periods;
        ParseSettings(bytes, people, periods);
        return;
    } catch (const KelvoraError &) {
    }
    WriteNewFile(bad, bytes);
}
}

void SaveSettingsFile(const QString &path, const PersonList &people, const CyclePeriods &periods)
{
    const QByteArray bytes = SerializeSettings(people, periods);
    // A linked settings file is kept, and replaced, where the link points.
    const QString file = FollowLinks(path);
    KeepUnreadableFile(file);
    WriteWholeFile(file, bytes, NotAFile::Refused);
}

void RemoveSaveLeftovers(const QString &path)
{
    RemoveLeftoverTemporaries(path);
}
