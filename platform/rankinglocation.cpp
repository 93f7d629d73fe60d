#include "rankinglocation.h"

#include <QFile>

#include <unistd.h>

namespace platform {

RankingFiles rankingFiles(const QString &programDir, bool programDirWritable, const QString &userDataDir)
{
    const QString name = QStringLiteral("/quip.ini");
    if (programDirWritable)
        return { programDir + name, QString() };
    return { userDataDir + name, programDir + name };
}

bool canCreateFilesIn(const QString &folder)
{
    // A new file needs both write and search permission on its folder.
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace platform
