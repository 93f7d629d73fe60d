// The pure rules: judging a key against a pair, the score's range, the round's progress, the
// version's text, and the ranking file's format.

#include "rankingfile.h"
#include "rules.h"
#include "versiontext.h"

#include <QTest>

#include <cmath>

using namespace game;
using namespace ranking;

class TestRules : public QObject {
    Q_OBJECT
private slots:
    // A pair put in the wrong category, a digit of 10, a bar beyond its ends, a padded version,
    // or a score that wraps round: one that would leave -32768..32767 stays as it is.
    void pairsDigitsProgressVersionAndScoreRange()
    {
        QList<int> kinds(5);
        for (int pair = 0; pair < 100; ++pair)
            ++kinds[int(classify(qint16(pair / 10), qint16(pair % 10)).answerKind)];
        QCOMPARE(kinds, QList<int>({ 0, 9, 9, 41, 41 }));
        QList<int> digits;
        for (float r : { 0.0f, 0.0999999f, 0.1f, 0.55f, std::nextafter(1.0f, 0.0f) })
            digits << digitFrom(r);
        QCOMPARE(digits, QList<int>({ 0, 0, 1, 5, 9 }));
        QList<float> percents;
        for (double elapsed : { -1.0, 0.0, 0.03, 15.0, 30.0, 30.05 })
            percents << qRound(progressPercent(500, 500 + elapsed) * 1000) / 1000.0f;
        QCOMPARE(percents, QList<float>({ 0, 0, 0.1f, 50, 100, 100 }));
        QCOMPARE(version::versionText({ 1, 0 }) + version::versionText({ 10, 12 }),
                 QString("ﾊﾞｰｼﾞｮﾝ 1.0ﾊﾞｰｼﾞｮﾝ 10.12"));
        QList<int> scores; // 5 and 5 answered Up or Down, 2 and 1 Left or Right
        for (int key : { Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right }) {
            const Question pair = key == Qt::Key_Up || key == Qt::Key_Down ? classify(5, 5) : classify(2, 1);
            for (int score : { 32757, 32758, 32767, -32758, -32759, -32768 })
                scores << judge(pair, *categoryAnsweredBy(key), qint16(score)).score;
        }
        QCOMPARE(scores, QList<int>({ 32767,  32758,  32767,  -32748, -32749, -32758, 32747,  32748,
                                      32757,  -32768, -32759, -32768, 32758,  32759,  32767,  -32757,
                                      -32758, -32767, 32756,  32757,  32766,  -32759, -32760, -32768 }));
    }

    void readsWhatTheFileSuppliesAndWritesItBack_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("written"); // "old" rows are those the file did not supply
        const QByteArray own(" 25 \r\nA\r\n-7 \r\n\r\n\r\nC\r\n"), old(" 77 \r\nold\r\n");
        QTest::newRow("as the game writes") << own << own;
        QTest::newRow("zero and empty rows")
            << QByteArray(" 0 \r\n\r\n\r\n\r\n\r\n\r\n") << QByteArray(" 0 \r\n\r\n\r\n\r\n\r\n\r\n");
        QTest::newRow("empty file") << QByteArray() << old + old + old;
        QTest::newRow("ends after a score") << QByteArray("5") << " 5 \r\n\r\n" + old + old;
        QTest::newRow("LF and CR line ends") << QByteArray("1\nA\r2\nB\n") << " 1 \r\nA\r\n 2 \r\nB\r\n" + old;
        QTest::newRow("four pairs") << own + " 9 \r\nD\r\n" << own;
        QTest::newRow("blanks, tabs, plus, zeros") << QByteArray("\t 12\t\r\nx\r\n+4\r\ny\r\n007\r\nz\r\n")
                                                   << QByteArray(" 12 \r\nx\r\n 4 \r\ny\r\n 7 \r\nz\r\n");
        QTest::newRow("not whole numbers")
            << QByteArray("12a\r\nx\r\n1 2\r\ny\r\n-\r\nz\r\n") << QByteArray("\r\nx\r\n\r\ny\r\n\r\nz\r\n");
        // Beyond the 16-bit range a score is held at the nearer end: it never wraps round.
        QTest::newRow("beyond 16 bits") << QByteArray("32768\r\na\r\n-32769\r\nb\r\n65536\r\nc\r\n")
                                        << QByteArray(" 32767 \r\na\r\n-32768 \r\nb\r\n 32767 \r\nc\r\n");
        QTest::newRow("forty digits") << QByteArray(40, '9') + "\r\na\r\n-" + QByteArray(40, '9')
                + "\r\nb\r\n-32768\r\nc\r\n"
                                      << QByteArray(" 32767 \r\na\r\n-32768 \r\nb\r\n-32768 \r\nc\r\n");
        // Names are taken whole: commas, quotes, blanks and digits are kept.
        const QByteArray names(" 3 \r\nTaro, Jr.\r\n 2 \r\n\"Q\", \"R\"\r\n 1 \r\n  007  \r\n");
        QTest::newRow("names whole") << names << names;
        // ①, ～, ｶﾀｶﾅ, 髙, and second bytes that are the ASCII codes of "\" and "|".
        const QByteArray japanese(
            " 1 \r\n\x87\x40\x81\x60\xb6\xc0\xfb\xfc\r\n 2 \r\n\x83\x5c\x95\x5c\x83\x7c\r\n 1 \r\n\r\n");
        QTest::newRow("Japanese names") << japanese << japanese;
    }
    // A file from another program or an old copy read wrongly, or a row it does not supply
    // overwritten (the candidate in slot 3 above all): what is read is written back in the
    // game's own form, and every slot the file does not supply keeps what it held.
    void readsWhatTheFileSuppliesAndWritesItBack()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, written);
        RankingTable table;
        table.rankScores.fill(qint16(77));
        table.rankNames.fill(QStringLiteral("old"));
        decodeRankingFile(file, table);
        QCOMPARE(encodeRankingFile(table), written);
        QCOMPARE(QString::number(table.rankScores[candidateSlot].value_or(0))
                     + table.rankNames[candidateSlot].value_or(""),
                 QString("77old"));
    }

    void namesAreStoredAsCp932HoldsThem_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        // Wave dash, minus, double vertical line, cent, pound, not and em dash as Linux input
        // methods give them, and the yen and overline of a Japanese keyboard, become the forms a
        // Windows copy stores.
        QTest::newRow("input-method forms")
            << QString::fromUtf16(u"\u301C\u2212\u2016\u00A2\u00A3\u00AC\u2014\u00A5\u203E")
            << QString::fromUtf16(u"\uFF5E\uFF0D\u2225\uFFE0\uFFE1\uFFE2\u2015\\~");
        const QString own = QStringLiteral(" ①～ｶﾀｶﾅ髙 <b>\"0\"</b>& ");
        QTest::newRow("CP932's own, markup, blanks") << own << own;
        // An emoji is one character in two UTF-16 units, also at the very end: it becomes one "?".
        QTest::newRow("not in CP932") << QString::fromUtf16(u"A\uD55CB\U0001F600") << QStringLiteral("A?B?");
        // Alone, whole, and at the very end.
        QTest::newRow("surrogates") << QString::fromUtf16(u"\xD83D-\xDE00\U0001F600\xD83D") << QStringLiteral("?-???");
        QTest::newRow("line ends and controls")
            << QString::fromUtf16(u"a\r\nb\tc\x01\u0085d\u2028") << QStringLiteral("a  b c  d?");
    }
    // A typed name stored as "FC FC" or split over the file's lines, or a row showing other
    // than the file holds: a name that CP932 cannot hold whole is stored as near to the typed
    // one as CP932 allows, and what is stored is what a row shows.
    void namesAreStoredAsCp932HoldsThem()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QVERIFY(cp932Available());
        RankingTable table, read;
        table.rankNames[0] = typed;
        decodeRankingFile(encodeRankingFile(table), read);
        QCOMPARE(storableName(typed) + "|" + read.rankNames[0].value_or(""), stored + "|" + stored);
    }
};

QTEST_MAIN(TestRules)
#include "test_rules.moc"
