#include "rankingfile.h"
#include "rankingtable.h"

#include <QTest>

using namespace ranking;

namespace {

// One slot as "score name": "30 太郎", "30" with an empty name, "" for an empty slot, and
// "? 太郎" for an empty score with a name.
void setSlot(RankingTable &table, int slot, const QString &text)
{
    const qsizetype blank = text.indexOf(u' ');
    const QString score = blank < 0 ? text : text.left(blank);
    table.rankScores[slot] = score.isEmpty() || score == u'?' ? std::nullopt : std::optional<qint16>(score.toShort());
    table.rankNames[slot] = blank < 0 ? std::nullopt : std::optional<QString>(text.mid(blank + 1));
}

QString slotText(const RankingTable &table, int slot)
{
    const std::optional<qint16> &score = table.rankScores[slot];
    const std::optional<QString> &name = table.rankNames[slot];
    if (!score && !name)
        return QString();
    return (score ? QString::number(*score) : QStringLiteral("?")) + (name ? u' ' + *name : QString());
}

RankingTable tableOf(const QStringList &rows)
{
    RankingTable table;
    for (int slot = 0; slot < rows.size(); ++slot)
        setSlot(table, slot, rows[slot]);
    return table;
}

// All the bytes of a literal, zero bytes included.
template<std::size_t size>
QByteArray withNul(const char (&bytes)[size])
{
    return QByteArray(bytes, size - 1);
}

QStringList rowsOf(const RankingTable &table)
{
    return { slotText(table, 0), slotText(table, 1), slotText(table, 2) };
}

} // namespace

class TestRanking : public QObject {
    Q_OBJECT
private slots:
    void scoreEntersWithTiesAbove_data();
    void scoreEntersWithTiesAbove();

    void writesTheExactBytes();
    void writesJapaneseNamesInCp932();
    void writingAndReadingGiveTheSameRows_data();
    void writingAndReadingGiveTheSameRows();
    void readsOnlyTheSlotsTheFileSupplies_data();
    void readsOnlyTheSlotsTheFileSupplies();
    void readsScoreLines_data();
    void readsScoreLines();
    void readsNameLinesWhole();
    void badBytesNeverReachTheFileAsGarbage();

    void inputMethodFormsStoreAsOnWindows();
    void unstorableCharactersBecomeQuestionMarks();
    void lineBreaksCannotSplitTheFile();
};

// The window's tests play the usual cases through a round; these are the ones a round cannot
// reach easily.
void TestRanking::scoreEntersWithTiesAbove_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<int>("score");
    QTest::addColumn<QStringList>("after"); // the same as stored when the score stays out

    QTest::newRow("tie with row 1") << QStringList{ "30 a", "20 b", "10 c" } << 30
                                    << QStringList{ "30 new", "30 a", "20 b" };
    QTest::newRow("empty score in row 1 counts as 0")
        << QStringList{ "? a", "-4 b", "" } << -1 << QStringList{ "? a", "-1 new", "-4 b" };
    QTest::newRow("an empty row moves down as empty") << QStringList{ "30 a", "", "10 c" } << 40
                                                      << QStringList{ "40 new", "30 a", "" };
    QTest::newRow("lowest score on a full table") << QStringList{ "-32768 a", "-32768 b", "-32768 c" } << -32768
                                                  << QStringList{ "-32768 new", "-32768 a", "-32768 b" };
    QTest::newRow("lowest score below an empty row") << QStringList{ "5 a", "", "" } << -32768
                                                     << QStringList{ "5 a", "", "" };
}

void TestRanking::scoreEntersWithTiesAbove()
{
    QFETCH(QStringList, stored);
    QFETCH(int, score);
    QFETCH(QStringList, after);

    RankingTable table = tableOf(stored);
    setSlot(table, candidateSlot, QString::number(score) + QStringLiteral(" new"));
    const std::optional<int> row = rowEntered(table, qint16(score));
    if (row)
        insertCandidate(table, *row);
    QCOMPARE(rowsOf(table), after);
    QCOMPARE(bool(row), after != stored);
    QCOMPARE(slotText(table, candidateSlot), QString::number(score) + QStringLiteral(" new"));
}

void TestRanking::writesTheExactBytes()
{
    RankingTable table = tableOf({ "25 ab", "0", "-7 " });
    setSlot(table, candidateSlot, QStringLiteral("99 never"));
    QCOMPARE(encodeRankingFile(table).toHex(' '),
             QByteArray("20 32 35 20 0d 0a 61 62 0d 0a " // " 25 ", "ab"
                        "20 30 20 0d 0a 0d 0a " // " 0 ", empty name
                        "2d 37 20 0d 0a 0d 0a")); // "-7 ", a name of no characters

    // An empty table is six empty lines, whatever the candidate slot holds.
    QCOMPARE(encodeRankingFile(tableOf({ "", "", "", "5 x" })), QByteArray("\r\n\r\n\r\n\r\n\r\n\r\n"));
    QCOMPARE(encodeRankingFile(tableOf({ "32767 a", "-32768 b", "? c" })),
             QByteArray(" 32767 \r\na\r\n-32768 \r\nb\r\n\r\nc\r\n"));
}

void TestRanking::writesJapaneseNamesInCp932()
{
    // ① and ～ exist only in CP932, ｶﾀｶﾅ are single bytes, 髙 is an IBM extension.
    const RankingTable table = tableOf({ QStringLiteral("10 ①～ｶﾀｶﾅ髙"), QStringLiteral("5 太郎") });
    QCOMPARE(encodeRankingFile(table).toHex(' '),
             QByteArray("20 31 30 20 0d 0a 87 40 81 60 b6 c0 b6 c5 fb fc 0d 0a "
                        "20 35 20 0d 0a 91 be 98 59 0d 0a "
                        "0d 0a 0d 0a"));
}

void TestRanking::writingAndReadingGiveTheSameRows_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("scores at the ends of the range") << QStringList{ "32767 a", "0 b", "-32768 c" };
    QTest::newRow("empty rows 2 and 3") << QStringList{ "7 a", "", "" };
    QTest::newRow("empty score, named") << QStringList{ "? a", "3", "" };
    QTest::newRow("Japanese names") << QStringList{ QStringLiteral("30 ①～ｶﾀｶﾅ"), QStringLiteral("20 髙橋－∥"),
                                                    QStringLiteral("10 ￠￡￢―") };
    // Names the old comma-separated reading would have changed.
    QTest::newRow("commas, quotes, blanks, digits")
        << QStringList{ QStringLiteral("3 Taro, Jr."), QStringLiteral("2 \"Q\""), QStringLiteral("1   lead and trail  ") };
    QTest::newRow("a name of digits") << QStringList{ "1 007", "1 -5", "1  12 " };
    QTest::newRow("markup") << QStringList{ "1 <b>x</b>", "1 <img src=x>", "1 &amp; &" };
}

void TestRanking::writingAndReadingGiveTheSameRows()
{
    QFETCH(QStringList, rows);
    const RankingTable written = tableOf(rows);
    RankingTable read = tableOf({ "", "", "", "99 candidate" });
    decodeRankingFile(encodeRankingFile(written), read);
    QCOMPARE(rowsOf(read), rows);
    QCOMPARE(slotText(read, candidateSlot), QStringLiteral("99 candidate"));
}

void TestRanking::readsOnlyTheSlotsTheFileSupplies_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("rows");
    // Every case reads into the rows "1 old1", "2 old2", "3 old3" with "50 candidate" in slot 3.
    QTest::newRow("zero bytes") << QByteArray() << QStringList{ "1 old1", "2 old2", "3 old3" };
    QTest::newRow("one pair") << QByteArray(" 9 \r\nx\r\n") << QStringList{ "9 x", "2 old2", "3 old3" };
    QTest::newRow("one empty line") << QByteArray("\r\n") << QStringList{ "", "2 old2", "3 old3" };
    QTest::newRow("ends after a score") << QByteArray(" 9 \r\nx\r\n 8 \r\n") << QStringList{ "9 x", "8", "3 old3" };
    QTest::newRow("ends inside a name") << QByteArray(" 9 \r\nxy") << QStringList{ "9 xy", "2 old2", "3 old3" };
    QTest::newRow("more than three pairs") << QByteArray("9\r\na\r\n8\r\nb\r\n7\r\nc\r\n6\r\nd\r\n5\r\ne\r\n")
                                           << QStringList{ "9 a", "8 b", "7 c" };
    QTest::newRow("LF line ends") << QByteArray("9\na\n8\nb\n") << QStringList{ "9 a", "8 b", "3 old3" };
    QTest::newRow("CR line ends") << QByteArray("9\ra\r8\rb\r") << QStringList{ "9 a", "8 b", "3 old3" };
    QTest::newRow("six empty lines") << QByteArray("\r\n\r\n\r\n\r\n\r\n\r\n") << QStringList{ "", "", "" };
}

void TestRanking::readsOnlyTheSlotsTheFileSupplies()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, rows);
    RankingTable table = tableOf({ "1 old1", "2 old2", "3 old3", "50 candidate" });
    decodeRankingFile(file, table);
    QCOMPARE(rowsOf(table), rows);
    QCOMPARE(slotText(table, candidateSlot), QStringLiteral("50 candidate"));
}

void TestRanking::readsScoreLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("score"); // "?" for an empty score
    QTest::newRow("as written") << QByteArray(" 25 ") << "25";
    QTest::newRow("bare") << QByteArray("25") << "25";
    QTest::newRow("negative as written") << QByteArray("-7 ") << "-7";
    QTest::newRow("zero") << QByteArray(" 0 ") << "0";
    QTest::newRow("tabs and blanks") << QByteArray("\t 12\t") << "12";
    QTest::newRow("plus sign") << QByteArray("+4") << "4";
    QTest::newRow("leading zeros") << QByteArray("007") << "7";
    QTest::newRow("empty") << QByteArray() << "?";
    QTest::newRow("blanks only") << QByteArray("   ") << "?";
    QTest::newRow("a word") << QByteArray("abc") << "?";
    QTest::newRow("trailing junk") << QByteArray("12abc") << "?";
    QTest::newRow("sign alone") << QByteArray("-") << "?";
    QTest::newRow("inner blank") << QByteArray("1 2") << "?";
    QTest::newRow("fraction") << QByteArray("1.5") << "?";
    QTest::newRow("full-width digits") << QByteArray("\x82\x50") << "?";
    // Beyond the 16-bit range a score is held at the nearer end: it never wraps round.
    QTest::newRow("just above") << QByteArray("32768") << "32767";
    QTest::newRow("lowest") << QByteArray("-32768") << "-32768";
    QTest::newRow("just below") << QByteArray("-32769") << "-32768";
    QTest::newRow("65536 does not wrap to 0") << QByteArray("65536") << "32767";
    QTest::newRow("forty digits") << QByteArray(40, '9') << "32767";
    QTest::newRow("forty digits negative") << QByteArray("-") + QByteArray(40, '9') << "-32768";
}

void TestRanking::readsScoreLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, score);
    RankingTable table;
    decodeRankingFile(line + "\r\nname\r\n", table);
    QCOMPARE(slotText(table, 0), score + QStringLiteral(" name"));
}

void TestRanking::readsNameLinesWhole()
{
    // Written by an older version: the names were never quoted.
    RankingTable table;
    decodeRankingFile(QByteArray(" 3 \r\nTaro, Jr.\r\n 2 \r\n\"Q\", \"R\"\r\n 1 \r\n  007  \r\n"), table);
    QCOMPARE(table.rankNames[0], std::optional<QString>(QStringLiteral("Taro, Jr.")));
    QCOMPARE(table.rankNames[1], std::optional<QString>(QStringLiteral("\"Q\", \"R\"")));
    QCOMPARE(table.rankNames[2], std::optional<QString>(QStringLiteral("  007  ")));
    // Japanese bytes that hold the ASCII code of "\" or "|" as their second byte.
    decodeRankingFile(QByteArray("1\r\n\x83\x5c\x95\x5c\x83\x7c\r\n"), table);
    QCOMPARE(table.rankNames[0], std::optional<QString>(QStringLiteral("ソ表ポ")));
}

// Whatever a file holds, what the game reads from it is what it writes back: no name read
// holds a character that CP932 cannot store or a line end, and writing never adds lines.
void TestRanking::badBytesNeverReachTheFileAsGarbage()
{
    const QList<QByteArray> files{
        QByteArray("1\r\n\x80\xa0\xff\r\n"), // bytes that are no character
        QByteArray("1\r\nA\x81\r\n"), // a lead byte without its second byte
        QByteArray("1\r\n\x81\r\n2\r\n\x81"), // a name of nothing but such a byte
        QByteArray("1\r\n\x81\x20\r\n"), // a lead byte with an invalid second byte
        withNul("1\r\n\x00\x01\x1a\x1c\x7f\r\n"), // control codes, NUL included
        QByteArray("1\r\n\xf0\x40\r\n"), // the user-defined area
        withNul("\xff\xfe\x00\x00\r\n\r\n\r\n"),
    };
    for (const QByteArray &file : files) {
        RankingTable read;
        decodeRankingFile(file, read);
        for (int slot = 0; slot < storedRows; ++slot) {
            if (read.rankNames[slot])
                QCOMPARE(storableName(*read.rankNames[slot]), *read.rankNames[slot]);
        }
        const QByteArray written = encodeRankingFile(read);
        QCOMPARE(written.count('\n'), 6);
        QCOMPARE(written.count('\r'), 6);
        QVERIFY(!written.contains("\xfc\xfc"));
        RankingTable again;
        decodeRankingFile(written, again);
        QCOMPARE(rowsOf(again), rowsOf(read));
    }
}

void TestRanking::inputMethodFormsStoreAsOnWindows()
{
    // Wave dash, minus, double vertical line, cent, pound, not, em dash.
    const QString typed = QString::fromUtf16(u"\u301C\u2212\u2016\u00A2\u00A3\u00AC\u2014");
    const QString stored = storableName(typed);
    QCOMPARE(stored, QString::fromUtf16(u"\uFF5E\uFF0D\u2225\uFFE0\uFFE1\uFFE2\u2015"));
    QCOMPARE(encodeRankingFile(tableOf({ QStringLiteral("1 ") + typed })).mid(5, 14).toHex(' '),
             QByteArray("81 60 81 7c 81 61 81 91 81 92 81 ca 81 5c"));
    // Names that CP932 holds already stay exactly as typed.
    for (const QString &name : { QStringLiteral("①～ｶﾀｶﾅ髙"), QStringLiteral("  Taro, \"Jr.\" 007 "),
                                 QStringLiteral("<b>x</b>&"), QString() })
        QCOMPARE(storableName(name), name);
}

void TestRanking::unstorableCharactersBecomeQuestionMarks()
{
    // An emoji is one character in two UTF-16 units: it becomes one "?".
    QCOMPARE(storableName(QString::fromUtf16(u"A\U0001F600B\uD55C\u00A5")), QStringLiteral("A?B??"));
    // The input box may cut a pair of surrogates in half.
    QCOMPARE(storableName(QString::fromUtf16(u"ab\xD83D")), QStringLiteral("ab?"));
    QCOMPARE(storableName(QString::fromUtf16(u"\xDE00x")), QStringLiteral("?x"));
    QCOMPARE(encodeRankingFile(tableOf({ QString::fromUtf16(u"1 \U0001F600\uD55C") })),
             QByteArray(" 1 \r\n??\r\n\r\n\r\n\r\n\r\n"));
}

void TestRanking::lineBreaksCannotSplitTheFile()
{
    QCOMPARE(storableName(QStringLiteral("a\r\nb\tc\x01")), QStringLiteral("a  b c "));
    QCOMPARE(storableName(QString::fromUtf16(u"a\u0085b\u2028c")), QStringLiteral("a b?c"));
    const RankingTable table = tableOf({ QStringLiteral("3 one\ntwo"), QStringLiteral("2 \r\n\r\n"), "1 x" });
    const QByteArray written = encodeRankingFile(table);
    QCOMPARE(written, QByteArray(" 3 \r\none two\r\n 2 \r\n    \r\n 1 \r\nx\r\n"));
}

QTEST_MAIN(TestRanking)
#include "test_ranking.moc"
