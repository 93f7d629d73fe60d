#pragma once

#include "rankingstore.h"

#include <optional>

namespace ranking {

// One finished round's ranking: the stored rows read with the round's score, the row it enters,
// the name taken for that row, and the rows saved. It draws nothing: the ranking window shows
// it, asks for the name and tells the player what went wrong.
class RankingRound {
public:
    // The round ranks `score` into rows of its own, starting from the rows last shown: a row
    // that the file does not supply shows as it did before.
    RankingRound(const RankingTable &rowsShownBefore, qint16 score);

    // Reads the stored rows; a missing file is an empty table, at every load.
    LoadResult load(const platform::RankingFiles &files);
    // The row the score entered at load, if any: the player is then asked for a name.
    std::optional<int> entryRow() const { return row; }
    // Ranks the entry into the rows shown with the name typed, as the file will hold it.
    void enter(const QString &typed);
    // Ranks the entry into the file as it stands now, which another copy of the game may have
    // changed. Once saved, saving again adds nothing.
    SaveResult save();

    // The rows to show: those read, the entry ranked in once entered, later those saved.
    const RankingTable &rows() const { return table; }
    // Where the rows were read from, and will be saved: the messages name these files.
    const platform::RankingFiles &files() const { return storedAt; }

private:
    RankingTable table;
    platform::RankingFiles storedAt;
    std::optional<int> row;
    // The rows as read at load, later as saved, without the entry.
    RankingTable rowsRead;
    bool entryToSave = false;
    // Set when the file is there but could not be read, or cannot be converted: the table
    // lacks its rows, so writing it would destroy them.
    bool leaveFileAlone = false;
};

} // namespace ranking
