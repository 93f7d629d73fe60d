#include "rankingfile.h"

#include "cp932.h"

namespace ranking {

namespace {

struct LineReader {
    const QByteArray &bytes;
    qsizetype position = 0;

    bool atEnd() const { return position >= bytes.size(); }

    // The next line without its line end; the line end is consumed with it.
    QByteArray next()
    {
        qsizetype end = position;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const QByteArray line = bytes.mid(position, end - position);
        position = end;
        if (position < bytes.size() && bytes[position] == '\r')
            ++position;
        if (position < bytes.size() && bytes[position] == '\n')
            ++position;
        return line;
    }
};

std::optional<qint16> parseScore(const QByteArray &line)
{
    const QByteArray text = line.trimmed();
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == '-';
    if (!text.isEmpty() && (text[0] == '-' || text[0] == '+'))
        ++i;
    if (i == text.size())
        return std::nullopt;
    // Counts up no further than one past the range, so no number of digits can overflow.
    int magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        magnitude = qMin(magnitude * 10 + (text[i] - '0'), 32768);
    }
    return negative ? qint16(-magnitude) : qint16(qMin(magnitude, 32767));
}

QByteArray scoreLine(const std::optional<qint16> &score)
{
    if (!score)
        return QByteArray();
    const QByteArray digits = QByteArray::number(*score);
    return *score < 0 ? digits + ' ' : ' ' + digits + ' ';
}

// The CP932 form of a character that Linux and macOS input methods give in its JIS form.
char16_t windowsForm(char16_t c)
{
    switch (c) {
    case u'\u301C':
        return u'\uFF5E'; // wave dash -> fullwidth tilde
    case u'\u2212':
        return u'\uFF0D'; // minus sign -> fullwidth hyphen-minus
    case u'\u2016':
        return u'\u2225'; // double vertical line -> parallel to
    case u'\u00A2':
        return u'\uFFE0'; // cent sign
    case u'\u00A3':
        return u'\uFFE1'; // pound sign
    case u'\u00AC':
        return u'\uFFE2'; // not sign
    case u'\u2014':
        return u'\u2015'; // em dash -> horizontal bar
    // A Japanese keyboard's yen and overline keys: CP932 keeps them at the ASCII codes of
    // backslash and tilde, as Windows stores them.
    case u'\u00A5':
        return u'\\';
    case u'\u203E':
        return u'~';
    default:
        return c;
    }
}

bool cp932Stores(const QString &text)
{
    return platform::cp932::encode(text).has_value();
}

} // namespace

void decodeRankingFile(const QByteArray &bytes, RankingTable &table)
{
    LineReader reader{ bytes };
    // The end of the file is looked for only before a pair: a file that stops after a score
    // line gives that row an empty name.
    for (int slot = 0; slot < storedRows && !reader.atEnd(); ++slot) {
        RankingRow &row = table[slot];
        row.rankScore = parseScore(reader.next());
        row.nameBytes = reader.next();
        // A byte that is no character shows as "?". A line of no characters, also one whose
        // bytes decode to none, is an empty name.
        const QString name = storableName(platform::cp932::decode(row.nameBytes));
        row.rankName = name.isEmpty() ? std::nullopt : std::optional<QString>(name);
    }
}

bool cp932Available()
{
    return platform::cp932::available();
}

QByteArray encodeRankingFile(const RankingTable &table)
{
    QByteArray bytes;
    for (int slot = 0; slot < storedRows; ++slot) {
        const RankingRow &row = table[slot];
        bytes += scoreLine(row.rankScore);
        bytes += "\r\n";
        if (!row.nameBytes.isEmpty())
            bytes += row.nameBytes;
        else if (row.rankName)
            bytes += platform::cp932::encode(storableName(*row.rankName)).value_or(QByteArray());
        bytes += "\r\n";
    }
    return bytes;
}

QString storableName(const QString &typed)
{
    QString mapped = typed;
    for (QChar &c : mapped) {
        c = windowsForm(c.unicode());
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    // Nearly every name is storable as it stands: only a name that is not is tested
    // character by character.
    if (mapped.isEmpty() || cp932Stores(mapped))
        return mapped;

    QString stored;
    stored.reserve(mapped.size());
    for (qsizetype i = 0; i < mapped.size(); ++i) {
        // A character beyond the first plane is one code point in two units, tested whole.
        const qsizetype units =
            mapped[i].isHighSurrogate() && i + 1 < mapped.size() && mapped[i + 1].isLowSurrogate() ? 2 : 1;
        const QString character = mapped.mid(i, units);
        stored += cp932Stores(character) ? character : QStringLiteral("?");
        i += units - 1;
    }
    return stored;
}

} // namespace ranking
