#include "rankinglocation.h"

#include <QFile>

#include <unistd.h>

namespace platform {

QString rankingFolder(const QString &programDir, bool programDirWritable, const QString &userDataDir)
{
    return programDirWritable ? programDir : userDataDir;
}

bool canCreateFilesIn(const QString &folder)
{
    // A new file needs both write and search permission on its folder.
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace platform
