#include "rankingtable.h"

namespace ranking {

std::optional<int> rowEntered(const RankingTable &table)
{
    const qint16 score = table[candidateSlot].rankScore.value_or(0);
    for (int row = 0; row < storedRows; ++row) {
        if (score >= table[row].rankScore.value_or(0))
            return row;
    }
    return std::nullopt;
}

void insertCandidate(RankingTable &table, int row)
{
    // Copies from the bottom up, so no row is overwritten before it has moved.
    for (int slot = storedRows - 1; slot > row; --slot)
        table[slot] = table[slot - 1];
    table[row] = table[candidateSlot];
}

QString scoreText(const RankingRow &row)
{
    return row.rankScore ? QString::number(*row.rankScore) : QString();
}

QString nameText(const RankingRow &row)
{
    return row.rankName.value_or(QString());
}

} // namespace ranking
