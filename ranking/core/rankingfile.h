#pragma once

// The ranking file "quip.ini": six lines in CP932, each ended by CR LF, holding the score and
// the name of rows 1, 2 and 3. A score line is " 25 " for a score of zero or more and "-7 "
// for a negative one; an empty slot is an empty line. There is no header and no quoting.

#include "rankingtable.h"

#include <QByteArray>
#include <QString>

namespace ranking {

// The most bytes read from the file: far more than six lines of the longest names the input
// box takes, and little enough that a huge or binary file costs nothing to look at.
constexpr qint64 maxFileBytes = 1024 * 1024;

// Fills slots 0, 1, 2 from the score and name pairs that the bytes supply. Every slot the
// file does not supply keeps its contents, so the candidate in slot 3 is never replaced.
// A name line is taken whole, and its bytes are kept to be written back as they are. A score
// line that is not a whole number gives an empty score, and one beyond the 16-bit range is held
// at its nearer end. Lines may end in CR LF, LF or CR.
void decodeRankingFile(const QByteArray &bytes, RankingTable &table);

// Whether this Qt converts CP932 at all (it takes ICU). Without it every stored name would read
// as empty and every typed one save as "?", so the file must be left alone.
bool cp932Available();

// The six lines of rows 1 to 3, exactly as the file holds them; slot 3 is left out. A name
// read from a file is written as the bytes it was read from.
QByteArray encodeRankingFile(const RankingTable &table);

// A name as the file can hold it and as the player then sees it: the forms that Linux input
// methods give for ～, －, ∥, ￠, ￡, ￢ and ―, and a Japanese keyboard's ¥ and ‾, become the
// CP932 ones, a line break or other control character becomes a blank, and a character CP932
// cannot store becomes "?".
QString storableName(const QString &typed);

} // namespace ranking
