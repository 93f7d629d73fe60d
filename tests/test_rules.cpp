// The pure rules: judging a key against a pair, the score's range, the round's progress, and the
// ranking file's format.

#include "files.h"
#include "rankingfile.h"
#include "rules.h"

#include <QTest>

#include <cmath>

using namespace game;
using namespace ranking;

class TestRules : public QObject {
    Q_OBJECT
private slots:
    // A digit of 10, or a bar beyond its ends: each tenth of the random range is one digit, the
    // last one 9; the bar at -1, 0, 0.03, 15, 30 and 30.05 s of the round stays within 0..100 %.
    void digitsAndBarStayWithinTheirEnds()
    {
        QList<int> digits;
        for (float r : { 0.0f, 0.0999999f, 0.1f, 0.55f, std::nextafter(1.0f, 0.0f) })
            digits << digitFrom(r);
        QCOMPARE(digits, QList<int>({ 0, 0, 1, 5, 9 }));
        QList<float> percents;
        for (double elapsed : { -1.0, 0.0, 0.03, 15.0, 30.0, 30.05 })
            percents << qRound(progressPercent(500, 500 + elapsed) * 1000) / 1000.0f;
        QCOMPARE(percents, QList<float>({ 0, 0, 0.1f, 50, 100, 100 }));
    }

    void scoreNeverWrapsRound_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        // 5 and 5 is sum ten, worth 10 however it is answered; 2 and 1 is worth 1.
        QTest::newRow("+10 up to 32767") << 5 << 5 << Qt::Key_Up << 32757 << 32767;
        QTest::newRow("+10 past 32767") << 5 << 5 << Qt::Key_Up << 32758 << 32758;
        QTest::newRow("-10 down to -32768") << 5 << 5 << Qt::Key_Down << -32758 << -32768;
        QTest::newRow("-10 past -32768") << 5 << 5 << Qt::Key_Left << -32759 << -32759;
        QTest::newRow("+1 to the top") << 2 << 1 << Qt::Key_Left << 32766 << 32767;
        QTest::newRow("-1, not -10, to the bottom") << 2 << 1 << Qt::Key_Up << -32767 << -32768;
    }
    // A score that wraps round, or one held at the end of the range: a change that would leave
    // -32768..32767 leaves the score as it is.
    void scoreNeverWrapsRound()
    {
        QFETCH(int, left);
        QFETCH(int, right);
        QFETCH(Qt::Key, key);
        QFETCH(int, before);
        QFETCH(int, after);
        const Question pair = classify(qint16(left), qint16(right));
        QCOMPARE(int(judge(pair, *categoryAnsweredBy(key), qint16(before)).score), after);
    }

    void readsWhatTheFileSuppliesAndWritesItBack_data()
    {
        QTest::addColumn<QByteArray>("file"); // with "|" for CR LF
        QTest::addColumn<QByteArray>("written"); // "old" rows are those the file did not supply
        const QByteArray own(" 25 | A, B |-7 |||C|"), old(" 77 |old|");
        QTest::newRow("as the game writes") << own << own;
        QTest::newRow("empty file") << QByteArray() << old + old + old;
        QTest::newRow("ends after a score") << QByteArray("5") << " 5 ||" + old + old;
        QTest::newRow("LF and CR line ends") << QByteArray("1\nA\r2\nB\n") << " 1 |A| 2 |B|" + old;
        QTest::newRow("four pairs") << own + " 9 |D|" << own;
        QTest::newRow("blanks, tabs, plus, zeros")
            << QByteArray("\t 12\t|x|+4|y|007|z|") << QByteArray(" 12 |x| 4 |y| 7 |z|");
        QTest::newRow("not whole numbers") << QByteArray("12a|x|1 2|y|-|z|") << QByteArray("|x||y||z|");
        // Beyond the 16-bit range a score is held at the nearer end: it never wraps round.
        QTest::newRow("beyond 16 bits") << QByteArray("32768|a|-32769|b|65536|c|")
                                        << QByteArray(" 32767 |a|-32768 |b| 32767 |c|");
        QTest::newRow("forty digits") << QByteArray(40, '9') + "|a|-" + QByteArray(40, '9') + "|b|-32768|c|"
                                      << QByteArray(" 32767 |a|-32768 |b|-32768 |c|");
        // ①, ～, ｶﾀｶﾅ, 髙, and second bytes that are the ASCII code of "\".
        const QByteArray japanese(" 1 |\x87\x40\x81\x60\xb6\xc0\xfb\xfc| 2 |\x83\x5c\x95\x5c| 1 ||");
        QTest::newRow("Japanese names") << japanese << japanese;
    }
    // A file from another program or an old copy read wrongly, or a row it does not supply
    // overwritten (the candidate in slot 3 above all): what is read is written back in the
    // game's own form (a name line whole, blanks and commas too), and every slot the file does not
    // supply keeps what it held.
    void readsWhatTheFileSuppliesAndWritesItBack()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, written);
        RankingTable table;
        table.rankScores.fill(qint16(77));
        table.rankNames.fill(QStringLiteral("old"));
        decodeRankingFile(crlf(file), table);
        QCOMPARE(encodeRankingFile(table), crlf(written));
        QCOMPARE(int(table.rankScores[candidateSlot].value_or(0)), 77);
        QCOMPARE(table.rankNames[candidateSlot].value_or(""), QString("old"));
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
        // An emoji is one character in two UTF-16 units, also at the very end: it becomes one "?".
        // A character with a look-alike in CP932 (é and e, « and ≪) is not stored as that.
        QTest::newRow("not in CP932") << QString::fromUtf16(u"A\uD55CB\u00E9\u00AB\U0001F600")
                                      << QStringLiteral("A?B???");
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
        QCOMPARE(storableName(typed), stored);
        QCOMPARE(read.rankNames[0].value_or(""), stored);
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "test_rules.moc"
