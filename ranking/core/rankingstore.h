#pragma once

// The ranking file on disk: reading it without ever blocking, and saving it so that neither a
// crash, a full disk nor a second copy of the game loses a row.

#include "rankingfiles.h"
#include "rankingtable.h"
#include "regularfile.h"

#include <QString>

namespace ranking {

// What loading a round's ranking met, from the store up to the window that tells the player.
enum class LoadResult {
    Read, // the stored rows, or none where there is no file yet
    NoConverter, // CP932 cannot be converted: nothing read, and nothing will be saved
    FileUnreadable, // something that is not a readable file: the round will not be saved
    FallbackUnreadable, // no file yet, and the rows beside the program cannot be read
};

// What saving it met.
enum class SaveResult {
    Saved, // the file holds the rows, the entry ranked into them
    LeftAlone, // nothing was read that could be saved, so the file is not touched
    Unreadable, // the file turned into something that cannot be read, and was left alone
    Failed, // the file could not be locked or written, and holds what it held
};

// Fills slots 0 to 2 from the file at `path`, as far as it supplies rows; every other slot
// keeps what it holds. A missing file empties slots 0 to 2: the rows of a file the player
// deleted never come back from memory.
platform::FileContents::Status readRanking(const QString &path, RankingTable &table);

// Fills slots 0 to 2 with the stored rows: the file's, or while it does not exist, the
// fallback's (the rows beside an installed program); with neither, the rows are empty.
// Gives Read, FileUnreadable or FallbackUnreadable.
LoadResult readStoredRows(const platform::RankingFiles &files, RankingTable &table);

// Saves `rows` to `files.file` with the candidate of slot 3 ranked into them when
// `withCandidate`. Under a lock that every copy of the game takes, the stored rows are read
// again first and replace those in `rows`, so an entry that another copy saved meanwhile is
// kept, and a file deleted meanwhile is an empty table; the candidate is then ranked among them
// as at load (ties above), and drops out where it no longer makes the top three. When saved,
// `rows` holds what the file now holds. Gives Saved, Unreadable or Failed.
SaveResult saveRanking(const platform::RankingFiles &files, RankingTable &rows, bool withCandidate);

// Replaces the file with the six lines of `rows` in one step: a crash or a full disk leaves
// the old file or the new one, never a part of either.
bool writeRankingFile(const QString &path, const RankingTable &rows);

} // namespace ranking
