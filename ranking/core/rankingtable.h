#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace ranking {

// One row of the ranking. An empty score or name is a state of its own: it differs from the
// score 0 and from a name of no characters, counts as 0 when ranked and shows as nothing.
struct RankingRow {
    std::optional<qint16> rankScore;
    std::optional<QString> rankName;
    // The bytes the stored name was read from, written back as they are, so a name holding bytes
    // that CP932 has no character for is never changed. Empty for a typed name, which is encoded
    // from its text.
    QByteArray nameBytes;
};

// Slots 0 to 2 are rows 1 to 3 of the ranking, best first; slot 3 holds the finished round's
// score and name while it is being ranked, and is never stored.
constexpr int storedRows = 3;
constexpr int candidateSlot = 3;
using RankingTable = std::array<RankingRow, 4>;

// The row (0 to 2) that the candidate of slot 3 enters, or none. A score equal to a stored one
// goes above it, and an empty score counts as 0.
std::optional<int> rowEntered(const RankingTable &table);

// Puts the candidate of slot 3 into `row`: the rows from `row` down move one place, and the
// old row 3 drops out. Slot 3 keeps its contents.
void insertCandidate(RankingTable &table, int row);

// What a row's labels show: the score as plain decimal text, and nothing for an empty slot.
QString scoreText(const RankingRow &row);
QString nameText(const RankingRow &row);

} // namespace ranking
