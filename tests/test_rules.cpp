// The pure rules: judging a key against a pair, the score's range and the round's progress.

#include "rules.h"

#include <QTest>

#include <cmath>

using namespace game;

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
};

QTEST_GUILESS_MAIN(TestRules)
#include "test_rules.moc"
