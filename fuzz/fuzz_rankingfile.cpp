// The ranking file's reader on arbitrary bytes. Whatever a file holds: the candidate in slot 3
// is never touched, the table writes back as six CR LF lines of names that CP932 stores, and
// those lines read back as the same table.

#include "rankingfile.h"

#include <cstdint>
#include <cstdlib>

namespace {

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
    ranking::RankingTable read = withCandidate();
    ranking::decodeRankingFile(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)), read);
    const QByteArray written = ranking::encodeRankingFile(read);
    ranking::RankingTable reread = withCandidate();
    ranking::decodeRankingFile(written, reread);
    bool storable = true;
    for (int slot = 0; slot < ranking::storedRows; ++slot)
        storable = storable && ranking::storableName(read.rankNames[slot].value_or(QString())) == read.rankNames[slot].value_or(QString());
    if (read.rankScores[ranking::candidateSlot] != 42 || read.rankNames[ranking::candidateSlot] != QStringLiteral("candidate")
        || written.count('\n') != 6 || written.count("\r\n") != 6 || !storable || reread.rankScores != read.rankScores || reread.rankNames != read.rankNames)
        std::abort();
    return 0;
}
