#include "rankingtable.h"

namespace ranking {

std::optional<int> rowEntered(const RankingTable &table, qint16 score)
{
    for (int row = 0; row < storedRows; ++row) {
        if (score >= table.rankScores[row].value_or(0))
            return row;
    }
    return std::nullopt;
}

void insertCandidate(RankingTable &table, int row)
{
    // Copies from the bottom up, names before scores, so no row is overwritten before it
    // has moved.
    for (int slot = storedRows - 1; slot > row; --slot) {
        table.rankNames[slot] = table.rankNames[slot - 1];
        table.nameBytes[slot] = table.nameBytes[slot - 1];
        table.rankScores[slot] = table.rankScores[slot - 1];
    }
    table.rankNames[row] = table.rankNames[candidateSlot];
    table.nameBytes[row] = table.nameBytes[candidateSlot];
    table.rankScores[row] = table.rankScores[candidateSlot];
}

QString scoreText(const std::optional<qint16> &score)
{
    return score ? QString::number(*score) : QString();
}

QString nameText(const std::optional<QString> &name)
{
    return name.value_or(QString());
}

} // namespace ranking
