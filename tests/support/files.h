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
