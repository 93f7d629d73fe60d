#pragma once

#include "rankingfiles.h"
#include "rankingtable.h"

#include <optional>

namespace ranking {

// What the game keeps of the ranking from one round to the next while it runs.
struct RankingSession {
    // The rows last shown, which a round shows again where it cannot read the file.
    RankingTable table;
    // Without the CP932 converter no round's ranking can ever be read or saved: the player is
    // told once a run.
    bool toldNoConverter = false;
};

// One finished round's ranking: the stored rows read with the round's score, the row it enters,
// the name taken for that row, and the rows saved. It draws nothing: the ranking window shows
// it, asks for the name and tells the player what went wrong.
class RankingRound {
public:
    enum class Load {
        Read, // the stored rows, or none where there is no file yet
        NoConverter, // CP932 cannot be converted: nothing read, and nothing will be saved
        FileUnreadable, // something that is not a readable file: the round will not be saved
        FallbackUnreadable, // no file yet, and the rows beside the program cannot be read
    };
    enum class Save {
        Saved, // the file holds the rows, the entry ranked into them
        LeftAlone, // nothing was read that could be saved, so the file is not touched
        Unreadable, // the file turned into something that cannot be read, and was left alone
        Failed, // the file could not be locked or written, and holds what it held
    };

    // `table` belongs to the caller and outlives the round: it holds the rows shown.
    RankingRound(RankingTable &table, qint16 score);

    // Reads the stored rows; a missing file is an empty table, at every load.
    Load load(const platform::RankingFiles &files);
    // The row the score entered at load, if any: the player is then asked for a name.
    std::optional<int> entryRow() const { return row; }
    // Ranks the entry into the rows shown with the name typed, as the file will hold it.
    void enter(const QString &typed);
    // Ranks the entry into the file as it stands now, which another copy of the game may have
    // changed. Once saved, saving again adds nothing.
    Save save();

    const RankingTable &rows() const { return table; }
    // Where the rows were read from, and will be saved: the messages name these files.
    const platform::RankingFiles &rankingFiles() const { return files; }

private:
    RankingTable &table;
    platform::RankingFiles files;
    std::optional<int> row;
    // The rows as read at load, later as saved, without the entry.
    RankingTable rowsRead;
    bool entryToSave = false;
    // Set when the file is there but could not be read, or cannot be converted: the table
    // lacks its rows, so writing it would destroy them.
    bool leaveFileAlone = false;
};

} // namespace ranking
