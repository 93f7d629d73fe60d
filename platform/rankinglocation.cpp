#include "rankinglocation.h"

#include "buildversion.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

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
    // A new file needs both write and search permission on its folder. Asks the kernel rather
    // than reading mode bits, so a read-only mount or an access list counts too.
    return ::access(QFile::encodeName(programDir).constData(), W_OK | X_OK) == 0;
}

} // namespace platform
