#include "rules.h"

#include <QTest>
#include <limits>

using namespace game;

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void classifyTestsSumTenFirst_data();
    void classifyTestsSumTenFirst();
    void categoriesOfAllHundredPairs();
    void digitsCoverZeroToNineAndNeverTen();
    void arrowKeysAnswerTheirCategory();
    void wrongKeyCostsTheWorthOfThePairOnScreen_data();
    void wrongKeyCostsTheWorthOfThePairOnScreen();
    void scoreNeverWrapsAtEitherEnd();
    void progressIsClampedToTheBarsRange();
};

void TestRules::classifyTestsSumTenFirst_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("worth");
    QTest::newRow("5 and 5 is sum ten, not equal") << 5 << 5 << 1 << 10;
    QTest::newRow("7 and 3 is sum ten, not left larger") << 7 << 3 << 1 << 10;
    QTest::newRow("2 and 8 is sum ten, not right larger") << 2 << 8 << 1 << 10;
    QTest::newRow("0 and 0 is equal") << 0 << 0 << 2 << 5;
    QTest::newRow("9 and 9 is equal") << 9 << 9 << 2 << 5;
    QTest::newRow("9 and 2 is left larger") << 9 << 2 << 3 << 1;
    QTest::newRow("1 and 0 is left larger") << 1 << 0 << 3 << 1;
    QTest::newRow("4 and 7 is right larger") << 4 << 7 << 4 << 1;
}

void TestRules::classifyTestsSumTenFirst()
{
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(int, kind);
    QFETCH(int, worth);
    const Question question = classify(qint16(left), qint16(right));
    QCOMPARE(int(question.answerKind), kind);
    QCOMPARE(int(question.questionValue), worth);
    QCOMPARE(int(question.leftDigit), left);
    QCOMPARE(int(question.rightDigit), right);
}

void TestRules::categoriesOfAllHundredPairs()
{
    int counts[5] = {};
    for (int left = 0; left < 10; ++left)
        for (int right = 0; right < 10; ++right)
            ++counts[int(classify(qint16(left), qint16(right)).answerKind)];
    QCOMPARE(counts[int(AnswerKind::SumTen)], 9);
    QCOMPARE(counts[int(AnswerKind::Equal)], 9);
    QCOMPARE(counts[int(AnswerKind::LeftLarger)], 41);
    QCOMPARE(counts[int(AnswerKind::RightLarger)], 41);
}

void TestRules::digitsCoverZeroToNineAndNeverTen()
{
    QCOMPARE(digitFrom(0.0f), qint16(0));
    QCOMPARE(digitFrom(0.0999999f), qint16(0));
    QCOMPARE(digitFrom(0.1f), qint16(1));
    QCOMPARE(digitFrom(0.55f), qint16(5));
    // The largest float below 1 must still give 9.
    QCOMPARE(digitFrom(std::nextafter(1.0f, 0.0f)), qint16(9));
}

void TestRules::arrowKeysAnswerTheirCategory()
{
    QCOMPARE(categoryAnsweredBy(Qt::Key_Up), std::optional(AnswerKind::SumTen));
    QCOMPARE(categoryAnsweredBy(Qt::Key_Down), std::optional(AnswerKind::Equal));
    QCOMPARE(categoryAnsweredBy(Qt::Key_Left), std::optional(AnswerKind::LeftLarger));
    QCOMPARE(categoryAnsweredBy(Qt::Key_Right), std::optional(AnswerKind::RightLarger));
    for (int other : { int(Qt::Key_A), int(Qt::Key_5), int(Qt::Key_Return), int(Qt::Key_Space),
                       int(Qt::Key_Escape), int(Qt::Key_PageUp), int(Qt::Key_Home) })
        QVERIFY(!categoryAnsweredBy(other));
}

void TestRules::wrongKeyCostsTheWorthOfThePairOnScreen_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("right_answer");
    QTest::addColumn<int>("change");
    QTest::newRow("5 5 Up is right") << 5 << 5 << int(Qt::Key_Up) << true << 10;
    QTest::newRow("5 5 Down costs 10") << 5 << 5 << int(Qt::Key_Down) << false << -10;
    QTest::newRow("3 7 Up is right") << 3 << 7 << int(Qt::Key_Up) << true << 10;
    QTest::newRow("3 7 Right costs 10") << 3 << 7 << int(Qt::Key_Right) << false << -10;
    QTest::newRow("0 0 Down is right") << 0 << 0 << int(Qt::Key_Down) << true << 5;
    QTest::newRow("0 0 Up costs 5") << 0 << 0 << int(Qt::Key_Up) << false << -5;
    QTest::newRow("0 0 Left costs 5") << 0 << 0 << int(Qt::Key_Left) << false << -5;
    QTest::newRow("9 2 Left is right") << 9 << 2 << int(Qt::Key_Left) << true << 1;
    QTest::newRow("9 2 Up costs 1, not 10") << 9 << 2 << int(Qt::Key_Up) << false << -1;
    QTest::newRow("4 6 Left costs 10") << 4 << 6 << int(Qt::Key_Left) << false << -10;
    QTest::newRow("1 8 Right is right") << 1 << 8 << int(Qt::Key_Right) << true << 1;
}

void TestRules::wrongKeyCostsTheWorthOfThePairOnScreen()
{
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(int, key);
    QFETCH(bool, right_answer);
    QFETCH(int, change);
    const Judgement judgement = judge(classify(qint16(left), qint16(right)), *categoryAnsweredBy(key), 100);
    QCOMPARE(judgement.right, right_answer);
    QCOMPARE(int(judgement.score), 100 + change);
}

// A score that would leave -32768..32767 is kept as it is: it never wraps to the other end.
void TestRules::scoreNeverWrapsAtEitherEnd()
{
    const qint16 top = std::numeric_limits<qint16>::max();
    const qint16 bottom = std::numeric_limits<qint16>::min();
    QCOMPARE(changedScore(32766, 1), top);
    QCOMPARE(changedScore(top, 1), top);
    QCOMPARE(changedScore(32762, 5), top);
    QCOMPARE(changedScore(32763, 5), qint16(32763));
    QCOMPARE(changedScore(32757, 10), top);
    QCOMPARE(changedScore(32758, 10), qint16(32758));
    QCOMPARE(changedScore(-32758, -10), bottom);
    QCOMPARE(changedScore(-32759, -10), qint16(-32759));
    QCOMPARE(changedScore(bottom, -1), bottom);
    QCOMPARE(changedScore(0, -10), qint16(-10));

    const Question sumTen = classify(5, 5);
    QCOMPARE(judge(sumTen, AnswerKind::SumTen, 32760).score, qint16(32760));
    QCOMPARE(judge(sumTen, AnswerKind::Equal, -32760).score, qint16(-32760));
}

void TestRules::progressIsClampedToTheBarsRange()
{
    QCOMPARE(progressPercent(500, 500), 0.0f);
    QVERIFY(qAbs(progressPercent(500, 500.1) - 0.3333f) < 0.001f);
    QVERIFY(qAbs(progressPercent(500, 510) - 33.3333f) < 0.001f);
    QCOMPARE(progressPercent(500, 515), 50.0f);
    QCOMPARE(progressPercent(500, 530), 100.0f);
    QCOMPARE(progressPercent(500, 530.0001), 100.0f);
    QCOMPARE(progressPercent(500, 499), 0.0f);
}

QTEST_APPLESS_MAIN(TestRules)
#include "test_rules.moc"
