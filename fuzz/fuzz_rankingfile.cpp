// Feeds arbitrary bytes to the ranking file's reader, as a damaged or foreign "quip.ini"
// would, and checks what the game then does with them: the candidate slot is never touched,
// the rows read are written back as exactly six lines, and reading those gives the same rows.

#include "rankingfile.h"

#include <QStringEncoder>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

ranking::RankingTable withCandidate()
{
    ranking::RankingTable table;
    table.rankScores[ranking::candidateSlot] = 42;
    table.rankNames[ranking::candidateSlot] = QStringLiteral("candidate");
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    ranking::RankingTable read = withCandidate();
    ranking::decodeRankingFile(bytes, read);
    check(read.rankScores[ranking::candidateSlot] == 42, "candidate score kept");
    check(read.rankNames[ranking::candidateSlot] == QStringLiteral("candidate"), "candidate name kept");

    const QByteArray written = ranking::encodeRankingFile(read);
    check(written.count('\n') == 6 && written.count('\r') == 6 && written.endsWith("\r\n"), "six CR LF lines");
    // A character CP932 cannot store would be written as FC FC. The bytes FC FC can also stand
    // across two storable characters (F8 FC then FC 40), so ask the encoder instead.
    for (int slot = 0; slot < ranking::storedRows; ++slot) {
        if (!read.rankNames[slot])
            continue;
        QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
        encoder.encode(*read.rankNames[slot]);
        check(!encoder.hasError(), "no unstorable character");
    }

    ranking::RankingTable reread = withCandidate();
    ranking::decodeRankingFile(written, reread);
    check(reread == read, "written rows read back the same");
    return 0;
}
