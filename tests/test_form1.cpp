// The main window, played through its keys, menus and clock, and the version window it opens.

#include "game.h"

#include <QAction>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>

class TestForm1 : public QObject {
    Q_OBJECT
    std::unique_ptr<Game> game;
    // The share of the bar that is drawn filled.
    double barShare()
    {
        const QProgressBar *bar = game->form->findChild<QProgressBar *>();
        return double(bar->value()) / bar->maximum();
    }

private slots:
    void init() { game = std::make_unique<Game>(); }

    void arrowKeysAreJudgedAndShown_data()
    {
        QTest::addColumn<QList<int>>("pairKeyScore"); // left, right, key, modifiers, score
        // Sum ten is tested first, equal second; a wrong key costs the worth of the pair.
        QTest::newRow("sum ten, Up") << QList<int>{ 7, 3, Qt::Key_Up, 0, 10 };
        QTest::newRow("5 and 5 is sum ten: Down costs 10") << QList<int>{ 5, 5, Qt::Key_Down, 0, -10 };
        QTest::newRow("equal, Down, with Shift") << QList<int>{ 0, 0, Qt::Key_Down, Qt::ShiftModifier, 5 };
        QTest::newRow("left larger, Left, with Ctrl") << QList<int>{ 9, 2, Qt::Key_Left, Qt::ControlModifier, 1 };
        QTest::newRow("left larger: Up costs the pair's 1, not 10") << QList<int>{ 9, 2, Qt::Key_Up, 0, -1 };
        QTest::newRow("right larger, Right") << QList<int>{ 1, 8, Qt::Key_Right, 0, 1 };
    }
    // A key judged against another pair than the one on screen, a key other than an arrow
    // counted, or a held key's repeats ignored: only an arrow key counts, judged against the
    // pair on screen, and the score, a mark in its colour and the next pair show at once. The next
    // pair, 2 and 8, is sum ten though its right digit is larger: a held Right costs 10.
    void arrowKeysAreJudgedAndShown()
    {
        QFETCH(QList<int>, pairKeyScore);
        Game &g = *game;
        g.press(0, pairKeyScore[0], pairKeyScore[1]);
        for (int other : { Qt::Key_A, Qt::Key_5, Qt::Key_Return, Qt::Key_Space, Qt::Key_Home })
            QTest::keyClick(g.form.get(), Qt::Key(other));
        g.press(pairKeyScore[2], 2, 8, Qt::KeyboardModifiers(pairKeyScore[3]));
        const int score = pairKeyScore[4];
        const QString shown = g.text("Label5") + g.text("Label6") + g.text("Label1") + g.text("Label2");
        QCOMPARE(shown, QString::number(score) + (score > 0 ? "ＯＫ28" : "ＮＧ28"));
        const QColor mark = g.form->findChild<QLabel *>("Label6")->palette().color(QPalette::WindowText);
        QCOMPARE(mark, QColor(score > 0 ? Qt::yellow : Qt::red));
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(g.form.get(), &repeat);
        QCOMPARE(int(g.form->tokuten()), score - 10);
    }

    // A round timed by counting ticks, or cut short by the clock's midnight: the bar shows the
    // elapsed share of the 30 seconds on the monotonic clock, also where midnight used to be; a
    // key still counts at 30 s, the tick after ends the round and empties the bar. Outside a
    // round no key counts, and the score is reset and the mark cleared only once the ranking
    // window has read the score.
    void barFollowsTheClockAndTheRoundEndsAfterThirtySeconds()
    {
        Game &g = *game;
        QList<double> shares;
        for (double start : { 1000.0, 86390.0 }) {
            g.press(Qt::Key_Up);
            g.services.now = start;
            g.press(0);
            QVERIFY(g.form->findChild<QProgressBar *>()->isVisible());
            for (double elapsed : { 0.0, 15.0, 30.0 }) {
                g.services.now = start + elapsed;
                if (elapsed > 0)
                    QMetaObject::invokeMethod(g.form.get(), "Timer1Tick");
                shares << barShare();
            }
            g.press(Qt::Key_Up);
            QString read; // the score the ranking window shows
            whenModalShows([&read](QWidget *window) {
                read = window->findChild<QLabel *>("Label1")->text() + leave(window, 0);
            });
            g.services.now += 0.05;
            QMetaObject::invokeMethod(g.form.get(), "Timer1Tick");
            QCOMPARE(read + g.text("Label5") + g.text("Label6"), QString("100"));
            shares << barShare();
        }
        QCOMPARE(shares, QList<double>({ 0, 0.5, 1, 0, 0, 0.5, 1, 0 }));
    }

    // The menu restarting a round, ending the game or opening a window during a round, a round
    // ended by anything but the clock, or a timer left ticking after it. The load seeds the random
    // numbers once, and the black client area is not cut off by the menu bar. The version window
    // is made anew for each showing, so it reads the version every time, a two-digit number whole;
    // Enter and 戻る close it. The ranking window gets the round's score as it is, below zero too.
    // After the round, 終了 ends the game.
    void menusAndTheRealTimer()
    {
        Game &g = *game;
        QCOMPARE(g.services.seedCalls, 1);
        // Centred on the screen once it has its size, the digits in their big type.
        const QPoint offCentre = g.form->frameGeometry().center() - g.form->screen()->availableGeometry().center();
        QVERIFY(offCentre.manhattanLength() < 5);
        QVERIFY(QFontInfo(g.form->findChild<QLabel *>("Label1")->font()).pixelSize() > 100);
        // The client area shows whole below the menu bar, the bar hidden until the first round.
        QWidget *client = g.form->centralWidget();
        QCOMPARE(client->mapTo(g.form.get(), QPoint(0, client->height())).y(), g.form->height());
        QVERIFY(!g.form->findChild<QProgressBar *>()->isVisible());
        QStringList seen;
        for (int minor : { 0, 12 }) {
            g.services.version = { 1, minor };
            whenModalShows([&seen, minor](QWidget *window) {
                seen << window->findChild<QLabel *>("Label3")->text() + leave(window, minor ? 0 : Qt::Key_Return);
            });
            g.form->findChild<QAction *>("mnuVer")->trigger();
        }
        QCOMPARE(seen, QStringList({ "ﾊﾞｰｼﾞｮﾝ 1.0", "ﾊﾞｰｼﾞｮﾝ 1.12" }));
        g.press(0);
        g.press(Qt::Key_Down);
        // Any window that opens is read and closed again, or the trigger would never return.
        whenModalShows([&seen](QWidget *window) {
            seen << window->windowTitle() + window->findChild<QLabel *>("Label1")->text() + leave(window, -1);
        });
        for (QAction *item : g.form->menuBar()->actions()) {
            g.services.now += 10;
            item->trigger();
        }
        QCOMPARE(seen.size() + g.services.endProgramCalls, 2);
        g.services.now += 0.001;
        QTRY_COMPARE_WITH_TIMEOUT(seen.value(2), QString("ランキング-10"), 30000);
        QVERIFY(!g.form->findChild<QTimer *>()->isActive());
        g.form->findChild<QAction *>("mnuEnd")->trigger();
        QCOMPARE(g.services.endProgramCalls, 1);
    }
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
