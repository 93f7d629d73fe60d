#pragma once

#include "rankingfiles.h"

#include <QString>

namespace platform {

// Where the ranking file lies. A portable copy keeps "quip.ini" beside its executable; an
// installed copy (/usr/games) keeps it in the player's own data folder instead, under the same
// name and in the same format, and reads the rows beside the executable until that file exists.
RankingFiles rankingFilesFor(const QString &programDir, bool keepBeside, const QString &userDataDir);

// Whether the copy in `programDir` keeps its ranking beside itself: a portable copy whose folder
// this process may create files in. A copy counts as installed when it runs from
// `installedProgramDir`, where its build installs it (/usr/games), or when an install laid down
// the desktop entry beside its folder (prefix/bin and prefix/share, for a prefix given only when
// installing): the install decides, not permissions or what a package left out, so that root and
// a player use the same file. On Windows, with neither, a copy keeps its file beside itself, as
// Windows programs kept theirs, wherever its folder takes new files, so not under Program Files
// unless run as administrator.
bool keepsRankingBeside(const QString &programDir, const QString &installedProgramDir);

} // namespace platform
