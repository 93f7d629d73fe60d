#include "regularfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileContents readRegularFile(const QString &path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status{};
    if (::stat(name.constData(), &status) != 0)
        return { errno == ENOENT || errno == ENOTDIR ? FileContents::Missing : FileContents::Unreadable, {} };
    if (!S_ISREG(status.st_mode))
        return { FileContents::Unreadable, {} };

    // Something else may take the name between the look and the opening: opened without
    // waiting, and looked at again through the open descriptor.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return { errno == ENOENT ? FileContents::Missing : FileContents::Unreadable, {} };
    QFile file;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return { FileContents::Unreadable, {} };
    }
    const QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        return { FileContents::Unreadable, {} };
    return { FileContents::Read, bytes };
}

bool folderTakesNewFiles(const QString &path)
{
    // A new file needs both write and search permission on its folder. Asks the kernel rather
    // than reading mode bits, so a read-only mount or an access list counts too.
    return ::access(QFile::encodeName(path).constData(), W_OK | X_OK) == 0;
}

bool isRegularFileOrFree(const QString &path)
{
    struct stat status{};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return errno == ENOENT;
    return S_ISREG(status.st_mode);
}

} // namespace platform
