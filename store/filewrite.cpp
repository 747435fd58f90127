#include "store/filewrite.h"

#include "model/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

QString FileErrorMessage(int e)
{
    switch (e) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return QStringLiteral("Invalid filename");
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case EEXIST:
        return QStringLiteral("File access denied");
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return QStringLiteral("Disk full");
    default:
        return QStringLiteral("I/O error %1").arg(e);
    }
}

namespace {
[[noreturn]] void Fail(int e) { throw KelvoraError(FileErrorMessage(e)); }

// The old content of a file written in place is kept in memory to put it back
// after a failure, up to this size.
constexpr qint64 MaxRestorableSize = 64 * 1024 * 1024;

// Hidden, beside the file, with mkstemp's six letters or digits.
QByteArray TemporaryTemplate(const QString &target)
{
    const QFileInfo info(target);
    return QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + ".XXXXXX";
}

bool IsTemporaryName(const QString &candidate, const QString &fileName)
{
    const QString prefix = QStringLiteral(".") + fileName + QStringLiteral(".");
    if (candidate.size() != prefix.size() + 6 || !candidate.startsWith(prefix))
        return false;
    for (qsizetype i = prefix.size(); i < candidate.size(); ++i) {
        const char16_t c = candidate[i].unicode();
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')))
            return false;
    }
    return true;
}

// Writes all bytes at the descriptor's position; errno on failure, else 0.
int WriteAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= n;
    }
    return 0;
}

// The content from the start, then the file cut to its length, then on disk.
int Overwrite(int fd, const QByteArray &bytes)
{
    if (::lseek(fd, 0, SEEK_SET) < 0)
        return errno;
    if (const int e = WriteAll(fd, bytes))
        return e;
    if (::ftruncate(fd, bytes.size()) != 0)
        return errno;
    if (::fsync(fd) != 0 && errno != EINVAL)
        return errno;
    return 0;
}

// The old content of a regular file, when it can be read and is not huge.
std::optional<QByteArray> ReadForRestore(const QByteArray &native, const struct stat &st)
{
    if (st.st_size > MaxRestorableSize)
        return std::nullopt;
    QFile file(QFile::decodeName(native));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// Writes over the file where it is: its links, owner and permissions stay.
// A failure puts the old content back where it was read.
void WriteInPlace(const QByteArray &native, const struct stat &st, const QByteArray &bytes)
{
    const std::optional<QByteArray> old = ReadForRestore(native, st);
    const int fd = ::open(native.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        Fail(errno);
    int e = Overwrite(fd, bytes);
    if (e != 0 && old)
        Overwrite(fd, *old);
    if (::close(fd) != 0 && e == 0)
        e = errno;
    if (e != 0)
        Fail(e);
}
}

QString FollowLinks(const QString &path)
{
    QString current = path;
    // As many links as the system itself follows in one path.
    for (int depth = 0; depth < 40; ++depth) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        current = info.symLinkTarget();
        if (current.isEmpty())
            Fail(ELOOP);
    }
    Fail(ELOOP);
}

void WriteWholeFile(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        Fail(ENOENT);
    const QString target = FollowLinks(path);
    const QByteArray native = QFile::encodeName(target);
    struct stat st {};
    const bool exists = ::stat(native.constData(), &st) == 0;
    if (!exists && errno != ENOENT)
        Fail(errno);
    if (exists) {
        // A folder, a device or a pipe is not a file the program may replace.
        if (S_ISDIR(st.st_mode))
            Fail(EISDIR);
        if (!S_ISREG(st.st_mode))
            Fail(EACCES);
        if (::access(native.constData(), W_OK) != 0)
            Fail(errno); // a read-only file stays as it is
    }

    QByteArray tmpl = TemporaryTemplate(target);
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        const int e = errno;
        // A folder closed to the user may still hold a file open to them.
        if (exists && (e == EACCES || e == EPERM)) {
            WriteInPlace(native, st, bytes);
            return;
        }
        Fail(e);
    }
    auto discard = [&](int e) {
        ::close(fd);
        ::unlink(tmpl.constData());
        Fail(e);
    };
    // mkstemp makes the file private; give it the mode the file had, or the usual one.
    mode_t mode = 0666;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    if (::fchmod(fd, mode) != 0)
        discard(errno);
    if (const int e = WriteAll(fd, bytes))
        discard(e);
    if (::fsync(fd) != 0 && errno != EINVAL)
        discard(errno);
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(tmpl.constData());
        Fail(e);
    }
    if (exists && st.st_nlink > 1) {
        // The new content fitted on the disk; its room is given back before
        // the file itself is written over, so that the file keeps its links.
        ::unlink(tmpl.constData());
        WriteInPlace(native, st, bytes);
        return;
    }
    if (::rename(tmpl.constData(), native.constData()) != 0) {
        const int e = errno;
        ::unlink(tmpl.constData());
        Fail(e);
    }
}

int RemoveLeftoverTemporaries(const QString &path, char firstByte)
{
    QString target;
    try {
        target = FollowLinks(path);
    } catch (const KelvoraError &) {
        return 0;
    }
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    const QString fileName = info.fileName();
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (!IsTemporaryName(name, fileName))
            continue;
        const QByteArray native = QFile::encodeName(folder + QLatin1Char('/') + name);
        // Only what this user's own save made: a plain file, empty or begun
        // as the program begins the file. Links and anything else stay.
        struct stat st {};
        if (::lstat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (st.st_size > 0) {
            const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
            if (fd < 0)
                continue;
            char c = 0;
            const ssize_t n = ::read(fd, &c, 1);
            ::close(fd);
            if (n != 1 || c != firstByte)
                continue;
        }
        if (::unlink(native.constData()) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}
