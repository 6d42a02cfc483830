#include "common/savefile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    // Closes now, so that an error of the close itself is seen; returns false then.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// Writes all of bytes at offset; returns false with errno set when the system takes less.
bool writeAll(int fd, const char *data, qsizetype size, off_t offset)
{
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, data, static_cast<size_t>(size), offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        data += written;
        size -= written;
        offset += written;
    }
    return true;
}

bool readAll(int fd, QByteArray &bytes)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return false;
    bytes.resize(static_cast<qsizetype>(info.st_size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done), done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return true;
}

// The new file beside the old one, written whole, flushed to the disk and moved over the old one.
// Returns 0, or the error; EACCES, EPERM or EROFS from creating the temporary file mean that the folder
// cannot take it.
int replaceThroughTemporary(const QByteArray &target, const QByteArray &bytes, bool *folderRefused)
{
    QByteArray temporary = target + ".XXXXXX";
    // The temporary name lies in the same folder: a hidden name, so that a folder listing never shows it.
    const qsizetype slash = temporary.lastIndexOf('/');
    temporary.insert(slash + 1, '.');
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        *folderRefused = true;
        return errno;
    }
    struct stat old {};
    const bool hadFile = ::stat(target.constData(), &old) == 0;
    int error = 0;
    if (!writeAll(fd.get(), bytes.constData(), bytes.size(), 0) || ::fsync(fd.get()) != 0 ||
        ::fchmod(fd.get(), hadFile ? (old.st_mode & 07777) : 0644) != 0)
        error = errno;
    if (!fd.close() && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.constData());
    return error;
}

// Gives the file its old size back after a failure; the error reported is the first one, not this one's.
void cutBack(int fd, off_t size)
{
    [[maybe_unused]] const int ignored = ::ftruncate(fd, size);
}

// Rewrites the file in place, putting the old bytes back when a write fails part-way.
int rewriteInPlace(const QByteArray &target, const QByteArray &bytes)
{
    Descriptor fd(::open(target.constData(), O_RDWR | O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    QByteArray old;
    if (!readAll(fd.get(), old))
        return errno;
    // Reserve the room first, so that a full disk or a size limit is met before any byte changes. Some
    // file systems cannot reserve; the old bytes are then put back should a write fail.
    if (bytes.size() > old.size()) {
        const int reserved = ::posix_fallocate(fd.get(), 0, bytes.size());
        if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
            cutBack(fd.get(), old.size());
            return reserved;
        }
    }
    if (!writeAll(fd.get(), bytes.constData(), bytes.size(), 0) || ::ftruncate(fd.get(), bytes.size()) != 0 ||
        ::fsync(fd.get()) != 0) {
        const int error = errno;
        static_cast<void>(writeAll(fd.get(), old.constData(), old.size(), 0));
        cutBack(fd.get(), old.size());
        static_cast<void>(::fsync(fd.get()));
        return error;
    }
    return fd.close() ? 0 : errno;
}

} // namespace

QString saveWholeFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("« %1 » est un dossier.").arg(path);
    // A link is followed: the file it names is the one replaced, and the link stays.
    const QByteArray target = QFile::encodeName(info.isSymLink() ? info.canonicalFilePath() : path);
    // A file its owner made read-only is not replaced behind its back.
    if (info.exists() && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return systemErrorText(errno);
    bool folderRefused = false;
    int error = replaceThroughTemporary(target, bytes, &folderRefused);
    if (error != 0 && folderRefused && (error == EACCES || error == EPERM || error == EROFS) &&
        ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) == 0)
        error = rewriteInPlace(target, bytes);
    return error == 0 ? QString() : systemErrorText(error);
}

QString systemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("le disque est plein.");
    case EDQUOT:
        return QStringLiteral("le quota d'espace disque de cet utilisateur est atteint.");
    case EFBIG:
        return QStringLiteral("le fichier dépasserait la taille permise sur cet ordinateur.");
    case EACCES:
    case EPERM:
        return QStringLiteral("vous n'avez pas le droit d'écrire ce fichier ni dans son dossier.");
    case EROFS:
        return QStringLiteral("le disque est en lecture seule.");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("le dossier du fichier n'existe pas.");
    case EIO:
        return QStringLiteral("erreur de lecture ou d'écriture sur le disque.");
    case EISDIR:
        return QStringLiteral("c'est un dossier.");
    default:
        return QStringLiteral("erreur du système n° %1 (%2).")
            .arg(error)
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}
