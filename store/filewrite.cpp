#include "store/filewrite.h"

#include "model/errors.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
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

[[noreturn]] static void Fail(int e) { throw KelvoraError(FileErrorMessage(e)); }

void WriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        Fail(ENOENT);
    const QByteArray target = QFile::encodeName(path);
    struct stat st {};
    const bool exists = ::stat(target.constData(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode))
            Fail(EISDIR);
        if (::access(target.constData(), W_OK) != 0)
            Fail(errno); // a read-only file stays as it is
    }
    const QFileInfo info(path);
    QByteArray tmpl = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        Fail(errno);
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
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            discard(errno);
        }
        p += n;
        left -= n;
    }
    if (::fsync(fd) != 0 && errno != EINVAL)
        discard(errno);
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(tmpl.constData());
        Fail(e);
    }
    if (::rename(tmpl.constData(), target.constData()) != 0) {
        const int e = errno;
        ::unlink(tmpl.constData());
        Fail(e);
    }
}
