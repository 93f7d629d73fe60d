#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace ranking {

// Slots 0 to 2 are rows 1 to 3 of the ranking, best first; slot 3 holds the finished round's
// score and name while it is being ranked, and is never stored.
constexpr int storedRows = 3;
constexpr int candidateSlot = 3;

// The top three with a candidate. An empty slot is a state of its own: it differs from the
// score 0 and from a name of no characters, counts as 0 when ranked and shows as nothing.
struct RankingTable {
    std::array<std::optional<qint16>, 4> rankScores;
    std::array<std::optional<QString>, 4> rankNames;
    // The bytes each stored name was read from, written back as they are, so a name holding
    // bytes that CP932 has no character for is never changed. Empty for a typed name (slot 3),
    // which is encoded from its text.
    std::array<QByteArray, 4> nameBytes;
};

// The row (0 to 2) that a finished round's score enters, or none. A score equal to a stored
// one goes above it, and an empty score counts as 0.
std::optional<int> rowEntered(const RankingTable &table, qint16 score);

// Puts the candidate of slot 3 into `row`: the rows from `row` down move one place, and the
// old row 3 drops out. Slot 3 keeps its contents.
void insertCandidate(RankingTable &table, int row);

// What a row's label shows: plain decimal text, and nothing for an empty slot.
QString scoreText(const std::optional<qint16> &score);
QString nameText(const std::optional<QString> &name);

} // namespace ranking
