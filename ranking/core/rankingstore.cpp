#include "rankingstore.h"

#include "rankingfile.h"

#include <QLockFile>
#include <QSaveFile>

#include <algorithm>

namespace ranking {

namespace {

// A save holds the lock for a few milliseconds; waiting longer than this means something is
// wrong, and the player is better told than kept waiting.
constexpr int lockWaitMs = 1000;
// A lock older than this was left by a save that never finished (its holder's death is
// noticed at once on this machine; this covers one that died on another).
constexpr int staleLockMs = 10000;

} // namespace

platform::FileContents::Status readRanking(const QString &path, RankingTable &table)
{
    const platform::FileContents contents = platform::readRegularFile(path, maxFileBytes);
    if (contents.status == platform::FileContents::Missing)
        std::fill(table.begin(), table.begin() + storedRows, RankingRow());
    else if (contents.status == platform::FileContents::Read)
        decodeRankingFile(contents.bytes, table);
    return contents.status;
}

LoadResult readStoredRows(const platform::RankingFiles &files, RankingTable &table)
{
    switch (readRanking(files.file, table)) {
    case platform::FileContents::Read:
        return LoadResult::Read;
    case platform::FileContents::Unreadable:
        return LoadResult::FileUnreadable;
    case platform::FileContents::Missing:
        break;
    }
    if (!files.fallback.isEmpty() && readRanking(files.fallback, table) == platform::FileContents::Unreadable)
        return LoadResult::FallbackUnreadable;
    return LoadResult::Read;
}

SaveResult saveRanking(const platform::RankingFiles &files, RankingTable &rows, bool withCandidate)
{
    const QString lockPath = files.file + QStringLiteral(".lock");
    // QLockFile opens a lock it finds to read who holds it: a pipe of that name would block the
    // game for good, and one that looks stale would be deleted. Only a lock file of the game's
    // own kind is used, or the lock is not taken.
    if (!platform::isRegularFileOrFree(lockPath))
        return SaveResult::Failed;
    QLockFile lock(lockPath);
    lock.setStaleLockTime(staleLockMs);
    if (!lock.tryLock(lockWaitMs))
        return SaveResult::Failed;

    RankingTable merged = rows;
    if (readStoredRows(files, merged) == LoadResult::FileUnreadable)
        return SaveResult::Unreadable;
    if (withCandidate) {
        if (const std::optional<int> row = rowEntered(merged))
            insertCandidate(merged, *row);
    }
    if (!writeRankingFile(files.file, merged))
        return SaveResult::Failed;
    rows = merged;
    return SaveResult::Saved;
}

bool writeRankingFile(const QString &path, const RankingTable &rows)
{
    // Unbuffered, so that write() itself meets a full disk: a buffered write fails only when
    // commit() flushes it, and commit() then still renames the incomplete file over the old.
    QSaveFile file(path);
    const QByteArray bytes = encodeRankingFile(rows);
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size()
        && file.commit();
}

} // namespace ranking
