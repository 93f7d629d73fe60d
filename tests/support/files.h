#pragma once

// Files as a test writes and reads them, without ever opening something that could block.

#include <QFile>

#include <sys/stat.h>

// What lies at the path: a regular file's bytes, or "(no file)" or "(not a file)". Never opens
// anything else, so a pipe cannot block the test.
inline QByteArray at(const QString &path)
{
    struct stat status{};
    if (::lstat(QFile::encodeName(path), &status) != 0)
        return "(no file)";
    QFile file(path);
    return S_ISREG(status.st_mode) && file.open(QIODevice::ReadOnly) ? file.readAll() : "(not a file)";
}

// A ranking file's lines written with "|" for each CR LF.
inline QByteArray crlf(QByteArray rows)
{
    return rows.replace('|', "\r\n");
}

inline bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A pipe in the place of `path`, or a link there to a pipe beside it.
inline bool makePipe(const QString &path, bool linked = false)
{
    const QString fifo = linked ? path + ".pipe" : path;
    QFile::remove(path);
    return ::mkfifo(QFile::encodeName(fifo), 0600) == 0 && (!linked || QFile::link(fifo, path));
}
