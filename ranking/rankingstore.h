#pragma once

// The ranking file on disk: reading it without ever blocking, and saving it so that neither a
// crash, a full disk nor a second copy of the game loses a row.

#include "rankingtable.h"

#include <QString>

namespace ranking {

enum class ReadResult {
    Read, // the file's rows are in the table
    NoFile, // no file of that name: no rows, and no error
    Unreadable, // something of that name that cannot be read as a regular file
};

// Fills slots 0 to 2 from the file at `path`, as far as it supplies rows; every other slot
// keeps what it holds.
ReadResult readRanking(const QString &path, RankingTable &table);

enum class SaveResult {
    Saved, // the file holds `rows`
    Unreadable, // the file turned into something that cannot be read, and was left alone
    Failed, // the file could not be locked or written, and holds what it held
};

// Saves `rows` with the candidate of slot 3 ranked into them when `withCandidate`. Under a lock
// that every copy of the game takes, the file is read again first and its rows replace those
// in `rows`, so an entry that another copy saved meanwhile is kept; the candidate is then
// ranked among them as at load (ties above), and drops out where it no longer makes the top
// three. When saved, `rows` holds what the file now holds.
SaveResult saveRanking(const QString &path, RankingTable &rows, bool withCandidate);

// Replaces the file with the six lines of `rows` in one step: a crash or a full disk leaves
// the old file or the new one, never a part of either.
bool writeRankingFile(const QString &path, const RankingTable &rows);

} // namespace ranking
