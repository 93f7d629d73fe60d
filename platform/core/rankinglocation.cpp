#include "rankinglocation.h"

#include "buildconfig.h"
#include "regularfile.h"

#include <QFileInfo>

namespace platform {

RankingFiles rankingFilesFor(const QString &programDir, bool keepBeside, const QString &userDataDir)
{
    const QString name = QStringLiteral("/quip.ini");
    if (keepBeside)
        return { programDir + name, QString() };
    return { userDataDir + name, programDir + name };
}

bool keepsRankingBeside(const QString &programDir, const QString &installedProgramDir)
{
    // Compared as the folders they are, whatever links lead there; a folder that does not exist
    // has no canonical path and matches nothing.
    const QString canonical = QFileInfo(programDir).canonicalFilePath();
    if (!canonical.isEmpty() && canonical == QFileInfo(installedProgramDir).canonicalFilePath())
        return false;
    if (QFileInfo::exists(programDir + QStringLiteral("/" QUICKPAIR_INSTALLED_ENTRY)))
        return false;
    return folderTakesNewFiles(programDir);
}

} // namespace platform
