#include "rankinground.h"

#include "rankingfile.h"

namespace ranking {

RankingRound::RankingRound(const RankingTable &rowsShownBefore, qint16 score)
    : table(rowsShownBefore)
{
    table[candidateSlot].rankScore = score;
}

LoadResult RankingRound::load(const platform::RankingFiles &files)
{
    storedAt = files;
    LoadResult result = LoadResult::NoConverter;
    // An installed copy's first rounds read the rows left beside the program, which the first
    // save carries into the player's own file.
    if (cp932Available())
        result = readStoredRows(files, table);
    leaveFileAlone = result == LoadResult::NoConverter || result == LoadResult::FileUnreadable;
    row = rowEntered(table);
    rowsRead = table;
    return result;
}

void RankingRound::enter(const QString &typed)
{
    if (!row)
        return;
    // The row shows the name as the file will hold it.
    table[candidateSlot].rankName = storableName(typed);
    rowsRead = table;
    entryToSave = true;
    insertCandidate(table, *row);
}

SaveResult RankingRound::save()
{
    if (leaveFileAlone)
        return SaveResult::LeftAlone;
    RankingTable saved = rowsRead;
    const SaveResult result = saveRanking(storedAt, saved, entryToSave);
    if (result == SaveResult::Saved) {
        // The entry is in the file now: saving again must not add it twice.
        rowsRead = saved;
        entryToSave = false;
        table = saved;
    }
    return result;
}

} // namespace ranking
