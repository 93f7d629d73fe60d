#pragma once

#include <QString>

namespace platform {

// The folder of the ranking file. A portable copy keeps it beside its executable; an
// installed copy, whose folder the player cannot write (/usr/bin), keeps it in the
// player's own data folder instead, under the same name and in the same format.
QString rankingFolder(const QString &programDir, bool programDirWritable, const QString &userDataDir);

// Whether this process, as the user it runs for, may create files in the folder. Asks the
// kernel rather than reading mode bits, so a read-only mount or an access list counts too.
bool canCreateFilesIn(const QString &folder);

} // namespace platform
