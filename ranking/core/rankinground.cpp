#include "rankinground.h"

#include "rankingfile.h"
#include "rankingstore.h"

namespace ranking {

RankingRound::RankingRound(RankingTable &shown, qint16 score)
    : table(shown)
{
    table.rankScores[candidateSlot] = score;
}

RankingRound::Load RankingRound::load(const platform::RankingFiles &rankingFiles)
{
    files = rankingFiles;
    Load result = Load::Read;
    if (!cp932Available()) {
        leaveFileAlone = true;
        result = Load::NoConverter;
    } else {
        // An installed copy's first rounds read the rows left beside the program, which the
        // first save carries into the player's own file.
        const StoredRead read = readStoredRows(files, table);
        if (read.file == ReadResult::Unreadable) {
            leaveFileAlone = true;
            result = Load::FileUnreadable;
        } else if (read.fallback == ReadResult::Unreadable) {
            result = Load::FallbackUnreadable;
        }
    }
    row = rowEntered(table, table.rankScores[candidateSlot].value_or(0));
    rowsRead = table;
    return result;
}

void RankingRound::enter(const QString &typed)
{
    if (!row)
        return;
    // The row shows the name as the file will hold it.
    table.rankNames[candidateSlot] = storableName(typed);
    rowsRead = table;
    entryToSave = true;
    insertCandidate(table, *row);
}

RankingRound::Save RankingRound::save()
{
    if (leaveFileAlone)
        return Save::LeftAlone;
    RankingTable saved = rowsRead;
    const SaveResult result = saveRanking(files, saved, entryToSave);
    if (result == SaveResult::Saved) {
        // The entry is in the file now: saving again must not add it twice.
        rowsRead = saved;
        entryToSave = false;
        table = saved;
        return Save::Saved;
    }
    return result == SaveResult::Unreadable ? Save::Unreadable : Save::Failed;
}

} // namespace ranking
