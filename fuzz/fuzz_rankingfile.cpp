// The ranking file's reader on arbitrary bytes. Whatever a file holds: the candidate in slot 3
// is never touched, the table writes back as six CR LF lines of names that CP932 stores, and
// those lines read back as the same table.

#include "rankingfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    ranking::RankingTable read, reread;
    for (ranking::RankingTable *table : { &read, &reread }) {
        table->rankScores[ranking::candidateSlot] = 42;
        table->rankNames[ranking::candidateSlot] = QStringLiteral("candidate");
    }
    ranking::decodeRankingFile(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)), read);
    const QByteArray written = ranking::encodeRankingFile(read);
    ranking::decodeRankingFile(written, reread);
    bool storable = true;
    for (const std::optional<QString> &name : read.rankNames)
        storable = storable && ranking::storableName(name.value_or(QString())) == name.value_or(QString());
    if (read.rankScores[ranking::candidateSlot] != 42 || read.rankNames[ranking::candidateSlot] != QStringLiteral("candidate")
        || written.count('\n') != 6 || written.count("\r\n") != 6 || !storable || reread.rankScores != read.rankScores || reread.rankNames != read.rankNames)
        std::abort();
    return 0;
}
