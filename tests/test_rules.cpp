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
    void keyIsJudgedAgainstThePairOnScreen_data()
    {
        QTest::addColumn<QList<int>>("pairKeyScores"); // left, right, key, score before, score after
        // Sum ten is tested first, equal second; a wrong key costs the worth of the pair.
        QTest::newRow("5 5 Up") << QList<int>{ 5, 5, Qt::Key_Up, 100, 110 };
        QTest::newRow("5 5 Down costs 10") << QList<int>{ 5, 5, Qt::Key_Down, 100, 90 };
        QTest::newRow("7 3 Left costs 10") << QList<int>{ 7, 3, Qt::Key_Left, 100, 90 };
        QTest::newRow("2 8 Right costs 10") << QList<int>{ 2, 8, Qt::Key_Right, 100, 90 };
        QTest::newRow("0 0 Down") << QList<int>{ 0, 0, Qt::Key_Down, 100, 105 };
        QTest::newRow("9 9 Left costs 5") << QList<int>{ 9, 9, Qt::Key_Left, 100, 95 };
        QTest::newRow("9 2 Up costs the pair's 1, not 10") << QList<int>{ 9, 2, Qt::Key_Up, 100, 99 };
        QTest::newRow("1 8 Right") << QList<int>{ 1, 8, Qt::Key_Right, 100, 101 };
        // A score that would leave -32768..32767 stays as it is: it never wraps round.
        QTest::newRow("up to the top") << QList<int>{ 5, 5, Qt::Key_Up, 32757, 32767 };
        QTest::newRow("10 past the top") << QList<int>{ 5, 5, Qt::Key_Up, 32758, 32758 };
        QTest::newRow("1 at the top") << QList<int>{ 2, 1, Qt::Key_Left, 32767, 32767 };
        QTest::newRow("down to the bottom") << QList<int>{ 5, 5, Qt::Key_Down, -32758, -32768 };
        QTest::newRow("10 past the bottom") << QList<int>{ 5, 5, Qt::Key_Down, -32759, -32759 };
        QTest::newRow("1 at the bottom") << QList<int>{ 2, 1, Qt::Key_Right, -32768, -32768 };
    }
    void keyIsJudgedAgainstThePairOnScreen()
    {
        QFETCH(QList<int>, pairKeyScores);
        const Question question = classify(qint16(pairKeyScores[0]), qint16(pairKeyScores[1]));
        QCOMPARE(QList<int>({ question.leftDigit, question.rightDigit }), pairKeyScores.mid(0, 2));
        const Judgement judgement = judge(question, *categoryAnsweredBy(pairKeyScores[2]), qint16(pairKeyScores[3]));
        QCOMPARE(int(judgement.score), pairKeyScores[4]);
        for (int other : { Qt::Key_A, Qt::Key_5, Qt::Key_Return, Qt::Key_Space, Qt::Key_Home })
            QVERIFY(!categoryAnsweredBy(other));
    }

    void pairsDigitsProgressAndVersion()
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
        // The version in half-width katakana, the minor number unpadded.
        QCOMPARE(version::versionText({ 1, 0 }) + version::versionText({ 10, 12 }), QString("ﾊﾞｰｼﾞｮﾝ 1.0ﾊﾞｰｼﾞｮﾝ 10.12"));
    }

    void readsWhatTheFileSuppliesAndWritesItBack_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("written"); // "old" rows are those the file did not supply
        const QByteArray own(" 25 \r\nA\r\n-7 \r\n\r\n\r\nC\r\n"), old(" 77 \r\nold\r\n");
        QTest::newRow("as the game writes") << own << own;
        QTest::newRow("zero and empty rows") << QByteArray(" 0 \r\n\r\n\r\n\r\n\r\n\r\n") << QByteArray(" 0 \r\n\r\n\r\n\r\n\r\n\r\n");
        QTest::newRow("empty file") << QByteArray() << old + old + old;
        QTest::newRow("ends after a score") << QByteArray("5") << " 5 \r\n\r\n" + old + old;
        QTest::newRow("LF and CR line ends") << QByteArray("1\nA\r2\nB\n") << " 1 \r\nA\r\n 2 \r\nB\r\n" + old;
        QTest::newRow("four pairs") << own + " 9 \r\nD\r\n" << own;
        QTest::newRow("blanks, tabs, plus, zeros") << QByteArray("\t 12\t\r\nx\r\n+4\r\ny\r\n007\r\nz\r\n") << QByteArray(" 12 \r\nx\r\n 4 \r\ny\r\n 7 \r\nz\r\n");
        QTest::newRow("not numbers") << QByteArray("abc\r\nx\r\n12a\r\ny\r\n-\r\nz\r\n") << QByteArray("\r\nx\r\n\r\ny\r\n\r\nz\r\n");
        QTest::newRow("not whole numbers") << QByteArray("1 2\r\nx\r\n1.5\r\ny\r\n\x82\x50\r\nz\r\n") << QByteArray("\r\nx\r\n\r\ny\r\n\r\nz\r\n");
        // Beyond the 16-bit range a score is held at the nearer end: it never wraps round.
        QTest::newRow("beyond 16 bits") << QByteArray("32768\r\na\r\n-32769\r\nb\r\n65536\r\nc\r\n") << QByteArray(" 32767 \r\na\r\n-32768 \r\nb\r\n 32767 \r\nc\r\n");
        QTest::newRow("forty digits") << QByteArray(40, '9') + "\r\na\r\n-" + QByteArray(40, '9') + "\r\nb\r\n-32768\r\nc\r\n" << QByteArray(" 32767 \r\na\r\n-32768 \r\nb\r\n-32768 \r\nc\r\n");
        // Names are taken whole: commas, quotes, blanks and digits are kept.
        const QByteArray names(" 3 \r\nTaro, Jr.\r\n 2 \r\n\"Q\", \"R\"\r\n 1 \r\n  007  \r\n");
        QTest::newRow("names whole") << names << names;
        // ①, ～, ｶﾀｶﾅ, 髙, and second bytes that are the ASCII codes of "\" and "|".
        const QByteArray japanese(" 1 \r\n\x87\x40\x81\x60\xb6\xc0\xfb\xfc\r\n 2 \r\n\x83\x5c\x95\x5c\x83\x7c\r\n 1 \r\n\r\n");
        QTest::newRow("Japanese names") << japanese << japanese;
    }
    // Every slot the file does not supply keeps what it held, the candidate in slot 3 above all.
    void readsWhatTheFileSuppliesAndWritesItBack()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, written);
        RankingTable table;
        table.rankScores.fill(qint16(77));
        table.rankNames.fill(QStringLiteral("old"));
        decodeRankingFile(file, table);
        QCOMPARE(encodeRankingFile(table), written);
        QCOMPARE(QString::number(table.rankScores[candidateSlot].value_or(0)) + table.rankNames[candidateSlot].value_or(""), QString("77old"));
    }

    void namesAreStoredAsCp932HoldsThem_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        // Wave dash, minus, double vertical line, cent, pound, not and em dash as Linux input
        // methods give them become the forms a Windows copy stores.
        QTest::newRow("input-method forms") << QString::fromUtf16(u"\u301C\u2212\u2016\u00A2\u00A3\u00AC\u2014") << QString::fromUtf16(u"\uFF5E\uFF0D\u2225\uFFE0\uFFE1\uFFE2\u2015");
        QTest::newRow("CP932's own, markup, blanks") << QStringLiteral(" ①～ｶﾀｶﾅ髙 <b>\"0\"</b>& ") << QStringLiteral(" ①～ｶﾀｶﾅ髙 <b>\"0\"</b>& ");
        // An emoji is one character in two UTF-16 units: it becomes one "?".
        QTest::newRow("not in CP932") << QString::fromUtf16(u"A\U0001F600B\uD55C\u00A5") << QStringLiteral("A?B??");
        QTest::newRow("halves of a surrogate pair") << QString::fromUtf16(u"ab\xD83D-\xDE00") << QStringLiteral("ab?-?");
        QTest::newRow("half a pair at the end") << QString::fromUtf16(u"ab\xD83D") << QStringLiteral("ab?");
        QTest::newRow("a whole pair at the end") << QString::fromUtf16(u"ab\U0001F600") << QStringLiteral("ab?");
        QTest::newRow("line ends and controls") << QString::fromUtf16(u"a\r\nb\tc\x01\u0085d\u2028") << QStringLiteral("a  b c  d?");
    }
    // What is stored is what a row shows: a name that CP932 cannot hold whole, or that would
    // split the file's lines, is stored as near to the typed one as CP932 allows.
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
