#include "rankinglocation.h"

#include "buildconfig.h"
#include "regularfile.h"

#include <QFileInfo>

namespace platform {

RankingFiles rankingFiles(const QString &programDir, bool keepBeside, const QString &userDataDir)
{
    const QString name = QStringLiteral("/quip.ini");
    if (keepBeside)
        return { programDir + name, QString() };
    return { userDataDir + name, programDir + name };
}

bool keepsRankingBeside(const QString &programDir)
{
    if (QFileInfo::exists(programDir + QStringLiteral("/" QUICKPAIR_INSTALLED_ENTRY)))
        return false;
    return folderTakesNewFiles(programDir);
}

} // namespace platform
