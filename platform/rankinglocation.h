#pragma once

#include "services.h"

#include <QString>

namespace platform {

// Where the ranking file lies. A portable copy keeps "quip.ini" beside its executable; an
// installed copy, whose folder the player cannot write (/usr/games), keeps it in the player's
// own data folder instead, under the same name and in the same format, and reads the rows
// beside the executable until that file exists.
RankingFiles rankingFiles(const QString &programDir, bool programDirWritable, const QString &userDataDir);

// Whether this process, as the user it runs for, may create files in the folder. Asks the
// kernel rather than reading mode bits, so a read-only mount or an access list counts too.
bool canCreateFilesIn(const QString &folder);

} // namespace platform
