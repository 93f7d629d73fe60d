#pragma once

// Files as a test writes and reads them, without ever opening something that could block.

#include <QFile>
#include <QFileInfo>

#include <memory>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

// What lies at the path: a regular file's bytes, or "(no file)" or "(not a file)". Never opens
// anything else, so a pipe cannot block the test.
inline QByteArray at(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return "(no file)";
    const bool regular = info.isFile() && !info.isSymLink();
    QFile file(path);
    return regular && file.open(QIODevice::ReadOnly) ? file.readAll() : "(not a file)";
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

#ifdef Q_OS_WIN
// Another program's hold on a file, opened without sharing, as an editor or a virus scanner may
// hold it; let go when this goes. Null where the file could not be held.
using HeldFile = std::unique_ptr<void, decltype(&CloseHandle)>;
inline HeldFile hold(const QString &path)
{
    HANDLE handle =
        CreateFileW(qUtf16Printable(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return HeldFile(handle == INVALID_HANDLE_VALUE ? nullptr : handle, &CloseHandle);
}
#else
// A pipe in the place of `path`, or a link there to a pipe beside it.
inline bool makePipe(const QString &path, bool linked = false)
{
    const QString fifo = linked ? path + ".pipe" : path;
    QFile::remove(path);
    return ::mkfifo(QFile::encodeName(fifo), 0600) == 0 && (!linked || QFile::link(fifo, path));
}
#endif
