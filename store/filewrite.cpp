#include "store/filewrite.h"

#include "model/errors.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <utility>
#include <vector>

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

// As many links as the kernel follows in one path.
constexpr int MaxLinks = 40;

// Temporary files are ".kelvora-unfinished-<pid>-XXXXXX": a name no one
// gives a file of their own, short enough beside any name the folder takes,
// and telling whose save it was.
constexpr char TemporaryPrefix[] = ".kelvora-unfinished-";
constexpr int TemporaryLetters = 6;

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    Descriptor(Descriptor &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() { reset(); }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

Descriptor OpenFolder(int at, const char *name)
{
    Descriptor fd(::openat(at, name, O_PATH | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW));
    if (fd.get() < 0)
        Fail(errno);
    return fd;
}

// A path as the kernel walks it: the folder that holds its last name, open,
// and that name; the folder's path holds no link.
struct Place {
    Descriptor folder;
    QByteArray folderPath;
    QByteArray name;         // empty when the path names a folder itself
    bool descriptor = false; // a link of /proc (/dev/stdout, /dev/fd/1): only the kernel can follow it
};

QByteArray Join(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray ParentOf(const QByteArray &folder)
{
    const qsizetype slash = folder.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : folder.left(slash);
}

// Pushes the names of a path to be walked before what is already waiting.
void PushNames(std::vector<QByteArray> &waiting, const QByteArray &path)
{
    QList<QByteArray> names = path.split('/');
    // "dir/" names the folder itself: its last name must be a folder.
    if (path.endsWith('/') && path.size() > 1)
        names.append(".");
    for (auto it = names.crbegin(); it != names.crend(); ++it)
        if (!it->isEmpty())
            waiting.push_back(*it);
}

// Links are trusted as the kernel trusts them in a sticky folder others may
// write (only the follower's and the folder owner's links), and a link of
// another user is never followed anywhere: it could send the user's write
// into any file of theirs. Root's links (/dev/stdout, /lib) are the system's.
bool MayFollow(const struct stat &link, const struct stat &folder)
{
    const uid_t me = ::geteuid();
    if (link.st_uid != me && link.st_uid != 0)
        return false;
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return !shared || link.st_uid == me || link.st_uid == folder.st_uid;
}

bool OnProcessFileSystem(int folder)
{
    constexpr long ProcMagic = 0x9fa0;
    struct statfs fs {};
    return ::fstatfs(folder, &fs) == 0 && long(fs.f_type) == ProcMagic;
}

QByteArray ReadLinkAt(int folder, const QByteArray &name)
{
    QByteArray target(256, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlinkat(folder, name.constData(), target.data(), size_t(target.size()));
        if (n < 0)
            Fail(errno);
        if (n < target.size()) {
            target.truncate(n);
            return target;
        }
        if (target.size() > 65536)
            Fail(ENAMETOOLONG);
        target.resize(target.size() * 2);
    }
}

Place Walk(const QString &path, bool followLast)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty())
        Fail(ENOENT);
    Place place;
    if (native.startsWith('/')) {
        place.folder = OpenFolder(AT_FDCWD, "/");
        place.folderPath = "/";
    } else {
        place.folder = OpenFolder(AT_FDCWD, ".");
        place.folderPath = QFile::encodeName(QDir::currentPath());
    }
    std::vector<QByteArray> waiting;
    PushNames(waiting, native);
    int links = 0;
    while (!waiting.empty()) {
        const QByteArray name = std::move(waiting.back());
        waiting.pop_back();
        const bool last = waiting.empty();
        if (name == ".")
            continue;
        if (name == "..") {
            place.folder = OpenFolder(place.folder.get(), "..");
            place.folderPath = ParentOf(place.folderPath);
            continue;
        }
        struct stat st {};
        if (::fstatat(place.folder.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT && last) {
                place.name = name; // a new file
                return place;
            }
            Fail(errno);
        }
        if (S_ISLNK(st.st_mode) && (followLast || !last)) {
            if (++links > MaxLinks)
                Fail(ELOOP);
            struct stat folder {};
            if (::fstat(place.folder.get(), &folder) != 0)
                Fail(errno);
            if (!MayFollow(st, folder))
                throw KelvoraError(QStringLiteral("Ссылка %1 принадлежит другому пользователю: по ней ничего не записано.")
                                       .arg(QFile::decodeName(Join(place.folderPath, name))));
            if (last && OnProcessFileSystem(place.folder.get())) {
                place.name = name;
                place.descriptor = true;
                return place;
            }
            const QByteArray target = ReadLinkAt(place.folder.get(), name);
            if (target.isEmpty())
                Fail(ENOENT);
            if (target.startsWith('/')) {
                place.folder = OpenFolder(AT_FDCWD, "/");
                place.folderPath = "/";
            }
            PushNames(waiting, target);
            continue;
        }
        if (last) {
            place.name = name;
            return place;
        }
        if (!S_ISDIR(st.st_mode))
            Fail(ENOTDIR);
        place.folder = OpenFolder(place.folder.get(), name.constData());
        place.folderPath = Join(place.folderPath, name);
    }
    return place; // the path names a folder
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
std::optional<QByteArray> ReadForRestore(const Place &place, const struct stat &st)
{
    if (st.st_size > MaxRestorableSize)
        return std::nullopt;
    const Descriptor fd(
        ::openat(place.folder.get(), place.name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (fd.get() < 0)
        return std::nullopt;
    QByteArray bytes;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || bytes.size() + n > MaxRestorableSize)
            return std::nullopt;
        if (n == 0)
            return bytes;
        bytes.append(buf, n);
    }
}

void CloseOrFail(Descriptor &fd, int e)
{
    if (::close(fd.release()) != 0 && e == 0)
        e = errno;
    if (e != 0)
        Fail(e);
}

// Writes over the file where it is: its links, owner and permissions stay.
// A failure puts the old content back where it was read.
void WriteInPlace(const Place &place, const struct stat &st, const QByteArray &bytes)
{
    const std::optional<QByteArray> old = ReadForRestore(place, st);
    Descriptor fd(::openat(place.folder.get(), place.name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW));
    if (fd.get() < 0)
        Fail(errno);
    const int e = Overwrite(fd.get(), bytes);
    if (e != 0 && old)
        Overwrite(fd.get(), *old);
    CloseOrFail(fd, e);
}

// A terminal, a pipe or a device takes the bytes as they come; a regular file
// reached through a descriptor of /proc is written from its start.
void WriteDirectly(const Place &place, const QByteArray &bytes)
{
    const int follow = place.descriptor ? 0 : O_NOFOLLOW;
    Descriptor fd(::openat(place.folder.get(), place.name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | follow));
    if (fd.get() < 0)
        Fail(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        Fail(errno);
    if (S_ISDIR(st.st_mode))
        Fail(EISDIR);
    CloseOrFail(fd, S_ISREG(st.st_mode) ? Overwrite(fd.get(), bytes) : WriteAll(fd.get(), bytes));
}

QByteArray TemporaryName()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = TemporaryPrefix + QByteArray::number(qint64(::getpid())) + '-';
    for (int i = 0; i < TemporaryLetters; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return name;
}

bool IsAsciiAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// ".kelvora-unfinished-<pid>-XXXXXX", and the pid of the save that made it.
bool IsTemporaryName(const char *candidate, pid_t *pid)
{
    const QByteArray name(candidate);
    const qsizetype start = qsizetype(sizeof TemporaryPrefix - 1);
    if (!name.startsWith(TemporaryPrefix))
        return false;
    const qsizetype dash = name.indexOf('-', start);
    if (dash <= start || dash - start > 9 || name.size() - dash - 1 != TemporaryLetters)
        return false;
    qint64 number = 0;
    for (qsizetype i = start; i < dash; ++i) {
        const char c = name.at(i);
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    for (qsizetype i = dash + 1; i < name.size(); ++i)
        if (!IsAsciiAlnum(name.at(i)))
            return false;
    if (number <= 0)
        return false;
    *pid = pid_t(number);
    return true;
}

// A new private file beside the target; -1 with errno when none can be made.
Descriptor MakeTemporary(const Place &place, QByteArray &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = TemporaryName();
        Descriptor fd(::openat(place.folder.get(), name.constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600));
        if (fd.get() >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return Descriptor();
}

mode_t UsualMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Fills the temporary file and puts it on disk; on failure removes it and throws.
void FillTemporary(const Place &place, Descriptor &fd, const QByteArray &name, mode_t mode, const QByteArray &bytes)
{
    int e = 0;
    if (::fchmod(fd.get(), mode) != 0)
        e = errno;
    if (e == 0)
        e = WriteAll(fd.get(), bytes);
    if (e == 0 && ::fsync(fd.get()) != 0 && errno != EINVAL)
        e = errno;
    if (::close(fd.release()) != 0 && e == 0)
        e = errno;
    if (e != 0) {
        ::unlinkat(place.folder.get(), name.constData(), 0);
        Fail(e);
    }
}

void RenameOver(const Place &place, const QByteArray &temporary)
{
    if (::renameat(place.folder.get(), temporary.constData(), place.folder.get(), place.name.constData()) != 0) {
        const int e = errno;
        ::unlinkat(place.folder.get(), temporary.constData(), 0);
        Fail(e);
    }
}
}

QString FollowLinks(const QString &path)
{
    const Place place = Walk(path, true);
    if (place.name.isEmpty())
        return QFile::decodeName(place.folderPath);
    return QFile::decodeName(Join(place.folderPath, place.name));
}

void WriteWholeFile(const QString &path, const QByteArray &bytes, NotAFile other)
{
    const Place place = Walk(path, true);
    if (place.name.isEmpty())
        Fail(EISDIR);
    if (place.descriptor) {
        if (other == NotAFile::Refused)
            Fail(EACCES);
        WriteDirectly(place, bytes);
        return;
    }
    struct stat st {};
    const bool exists = ::fstatat(place.folder.get(), place.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        Fail(errno);
    if (exists) {
        if (S_ISDIR(st.st_mode))
            Fail(EISDIR);
        if (S_ISLNK(st.st_mode))
            Fail(EACCES); // became a link since the walk: someone is at work in this folder
        if (!S_ISREG(st.st_mode)) {
            if (other == NotAFile::Refused)
                Fail(EACCES);
            WriteDirectly(place, bytes);
            return;
        }
        if (::faccessat(place.folder.get(), place.name.constData(), W_OK, 0) != 0)
            Fail(errno); // a read-only file stays as it is
    }

    QByteArray temporary;
    Descriptor fd = MakeTemporary(place, temporary);
    if (fd.get() < 0) {
        const int e = errno;
        // A folder closed to the user may still hold a file open to them.
        if (exists && (e == EACCES || e == EPERM)) {
            WriteInPlace(place, st, bytes);
            return;
        }
        Fail(e);
    }
    // The temporary file is private; it gets the mode the file had, or the usual one.
    FillTemporary(place, fd, temporary, exists ? st.st_mode & 07777 : UsualMode(), bytes);
    if (exists && st.st_nlink > 1) {
        // The new content fitted on the disk; its room is given back before
        // the file itself is written over, so that the file keeps its links.
        ::unlinkat(place.folder.get(), temporary.constData(), 0);
        WriteInPlace(place, st, bytes);
        return;
    }
    RenameOver(place, temporary);
}

void WriteNewFile(const QString &path, const QByteArray &bytes)
{
    const Place place = Walk(path, false);
    if (place.name.isEmpty())
        Fail(EISDIR);
    QByteArray temporary;
    Descriptor fd = MakeTemporary(place, temporary);
    if (fd.get() < 0)
        Fail(errno);
    FillTemporary(place, fd, temporary, UsualMode(), bytes);
    RenameOver(place, temporary);
}

int RemoveLeftoverTemporaries(const QString &path)
{
    Descriptor folder;
    try {
        folder = Walk(path, true).folder;
    } catch (const KelvoraError &) {
        return 0;
    }
    const int listed = ::openat(folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0)
        return 0;
    DIR *dir = ::fdopendir(listed);
    if (!dir) {
        ::close(listed);
        return 0;
    }
    const uid_t me = ::geteuid();
    int removed = 0;
    while (const dirent *entry = ::readdir(dir)) {
        pid_t pid = 0;
        if (!IsTemporaryName(entry->d_name, &pid))
            continue;
        // Only what a save of this user made, in a process that is gone: a
        // save under way in another copy (the command line) keeps its file.
        struct stat st {};
        if (::fstatat(listed, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != me || st.st_nlink != 1)
            continue;
        if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        if (::unlinkat(listed, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}
