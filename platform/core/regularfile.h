#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// What reading a file gave.
struct FileContents {
    enum Status {
        Read, // `bytes` holds the file's first bytes
        Missing, // nothing has that name
        Unreadable, // something has that name, but it cannot be read as a regular file
    };
    Status status = Missing;
    QByteArray bytes;
};

// Reads at most `maxBytes` of the regular file at `path`, following links. Never blocks on
// what is not a file: a pipe, socket, device or folder of that name is Unreadable and is
// never opened for reading, and so is a file that another program holds open without sharing.
FileContents readRegularFile(const QString &path, qint64 maxBytes);

// Whether this process can create files in the folder at `path`.
bool folderTakesNewFiles(const QString &path);

// Whether the name is free or held by a regular file itself, not by a link, pipe, socket,
// device or folder: looked at without opening anything.
bool isRegularFileOrFree(const QString &path);

} // namespace platform
