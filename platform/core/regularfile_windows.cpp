#include "regularfile.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryFile>

#include <windows.h>

namespace platform {

namespace {

std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// What a failure to look at or open `path` says of it: nothing there, or something unreadable.
FileContents::Status statusAfter(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileContents::Missing
                                                                          : FileContents::Unreadable;
}

} // namespace

FileContents readRegularFile(const QString &path, qint64 maxBytes)
{
    const std::wstring name = nativePath(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return { statusAfter(GetLastError()), {} };
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return { FileContents::Unreadable, {} };

    // Every other program may go on reading, writing or renaming the file while it is read; one
    // that holds it without sharing makes it Unreadable. A device of that name (CON, NUL, COM1)
    // opens without waiting and is looked at before anything is read.
    const HANDLE handle =
        CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return { statusAfter(GetLastError()), {} };
    const auto close = qScopeGuard([handle] { CloseHandle(handle); });
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &information)
        || (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return { FileContents::Unreadable, {} };
    QByteArray bytes;
    while (bytes.size() < maxBytes) {
        const qsizetype start = bytes.size();
        const DWORD wanted = DWORD(qMin<qint64>(64 * 1024, maxBytes - start));
        bytes.resize(start + wanted);
        DWORD read = 0;
        if (!ReadFile(handle, bytes.data() + start, wanted, &read, nullptr))
            return { FileContents::Unreadable, {} };
        bytes.truncate(start + read);
        if (read == 0)
            break;
    }
    return { FileContents::Read, bytes };
}

bool folderTakesNewFiles(const QString &path)
{
    // Windows decides by the folder's access list, which no attribute shows (Program Files is
    // not read-only, yet a player cannot create a file there): a file is made and removed.
    QTemporaryFile probe(path + QStringLiteral("/quickpair-XXXXXX.tmp"));
    return !path.isEmpty() && probe.open();
}

bool isRegularFileOrFree(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(nativePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return statusAfter(GetLastError()) == FileContents::Missing;
    // A folder, or a link or junction to anything.
    return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE));
}

} // namespace platform
