// The main window, played through its keys, menus and clock, and the version window it opens.

#include "game.h"

#include <QAction>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>

class TestForm1 : public QObject {
    Q_OBJECT
    std::unique_ptr<Game> game;
    QProgressBar *bar() { return game->form->findChild<QProgressBar *>(); }
    // The share of the bar that is drawn filled.
    double barShare() { return double(bar()->value()) / bar()->maximum(); }

private slots:
    void init() { game = std::make_unique<Game>(); }

    // Random numbers seeded other than once, at the load.
    void seedsTheRandomNumbersOnce() { QCOMPARE(game->services.seedCalls, 1); }

    // A window centred before it has its size.
    void isCentredOnceItHasItsSize()
    {
        const QRect screen = game->form->screen()->availableGeometry();
        QVERIFY((game->form->frameGeometry().center() - screen.center()).manhattanLength() < 5);
    }

    // Digits in a small type.
    void showsTheDigitsInTheirBigType() { QVERIFY(QFontInfo(game->label("Label1")->font()).pixelSize() > 100); }

    // A client area cut off by the menu bar.
    void showsTheClientAreaWhole()
    {
        QWidget *client = game->form->centralWidget();
        QCOMPARE(client->mapTo(game->form.get(), QPoint(0, client->height())).y(), game->form->height());
    }

    // A bar shown before the first round.
    void hidesTheBarUntilTheFirstRound() { QVERIFY(!bar()->isVisible()); }

    void arrowKeysAreJudged_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifier>("modifier");
        QTest::addColumn<int>("score");
        // Sum ten is tested first, equal second; a wrong key costs the worth of the pair.
        QTest::newRow("sum ten, Up") << 7 << 3 << Qt::Key_Up << Qt::NoModifier << 10;
        QTest::newRow("5 and 5 is sum ten: Down costs 10") << 5 << 5 << Qt::Key_Down << Qt::NoModifier << -10;
        QTest::newRow("equal, Down, with Shift") << 0 << 0 << Qt::Key_Down << Qt::ShiftModifier << 5;
        QTest::newRow("left larger, Left, with Ctrl") << 9 << 2 << Qt::Key_Left << Qt::ControlModifier << 1;
        QTest::newRow("left larger: Up costs the pair's 1, not 10") << 9 << 2 << Qt::Key_Up << Qt::NoModifier << -1;
        QTest::newRow("right larger, Right") << 1 << 8 << Qt::Key_Right << Qt::NoModifier << 1;
    }
    // A key judged against another pair than the one on screen: the next pair, 2 and 8, is sum ten
    // though its right digit is larger. The score shows at once.
    void arrowKeysAreJudged()
    {
        QFETCH(int, left);
        QFETCH(int, right);
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifier, modifier);
        QFETCH(int, score);
        game->startRound(left, right);
        game->press(key, 2, 8, modifier);
        QCOMPARE(game->score(), QString::number(score));
    }

    // A mark in the other's colour: ＯＫ shows in yellow, ＮＧ in red.
    void markShowsInItsColour()
    {
        game->startRound(7, 3);
        game->press(Qt::Key_Up, 7, 7);
        const QString right = game->mark();
        game->press(Qt::Key_Up);
        QCOMPARE(right + ", " + game->mark(), QString("ＯＫ #ffff00, ＮＧ #ff0000"));
    }

    // The pair before still on screen after a key.
    void nextPairShowsAtOnce()
    {
        game->startRound(7, 3);
        game->press(Qt::Key_Up, 2, 8);
        QCOMPARE(game->pair(), QString("28"));
    }

    // A key other than an arrow counted, or a held key's repeats ignored: the repeats of a held
    // arrow are answers like any other.
    void onlyArrowKeysCountHeldOrNot()
    {
        game->startRound(2, 8);
        for (Qt::Key other : { Qt::Key_A, Qt::Key_5, Qt::Key_Return, Qt::Key_Space, Qt::Key_Home })
            game->press(other);
        QCOMPARE(game->score(), QString("0"));
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(game->form.get(), &repeat);
        QCOMPARE(game->score(), QString("10"));
    }

    void barFollowsTheClock_data()
    {
        QTest::addColumn<double>("start");
        QTest::newRow("a round") << 1000.0;
        QTest::newRow("a round past where midnight used to be") << 86390.0;
    }
    // A round timed by counting ticks, or cut short by the clock's midnight: the bar shows the
    // elapsed share of the 30 seconds on the monotonic clock, also where midnight used to be.
    void barFollowsTheClock()
    {
        QFETCH(double, start);
        game->services.now = start;
        game->startRound();
        QVERIFY(bar()->isVisible());
        for (double elapsed : { 0.0, 15.0, 30.0 }) {
            game->services.now = start + elapsed;
            if (elapsed > 0)
                game->tick();
            QCOMPARE(barShare(), elapsed / 30);
        }
    }

    // A key still counts at 30 s; the tick after ends the round, and the ranking window reads the
    // score before the round's end resets it. Outside a round no key counts.
    void roundEndsAfterThirtySeconds()
    {
        game->press(Qt::Key_Up);
        game->startRound();
        game->closeRankingWhenShown();
        game->services.now += 30;
        game->tick();
        game->press(Qt::Key_Up);
        game->services.now += 0.05;
        game->tick();
        QCOMPARE(game->rankingRead, QString("10"));
    }

    // The next round starting from the score, the mark or the bar of the one before: once the
    // ranking window has closed the score is 0, shown and counted, and the mark and the bar empty.
    void roundsEndResetsForTheNext()
    {
        game->startRound();
        game->press(Qt::Key_Up);
        game->press(Qt::Key_Up);
        game->endRound();
        QCOMPARE(game->score() + game->label("Label6")->text(), QString("0"));
        QCOMPARE(barShare(), 0.0);
        game->startRound();
        game->press(Qt::Key_Up);
        game->endRound();
        QCOMPARE(game->rankingRead, QString("10"));
    }

    // A version window made once, or a two-digit number cut: the window is made anew for each
    // showing, so it reads the version every time, a two-digit number whole; Enter and 戻る close it.
    void versionWindowReadsTheVersionEachTime()
    {
        QStringList seen; // each showing's version, and whether its way out left it open
        for (int minor : { 0, 12 }) {
            game->services.version = { 1, minor };
            whenModalShows([&seen, minor](QWidget *window) {
                seen << window->findChild<QLabel *>("Label3")->text()
                        + (leave(window, minor ? WayOut::Back : WayOut::Enter) ? "" : " left open");
            });
            game->form->findChild<QAction *>("mnuVer")->trigger();
        }
        QCOMPARE(seen, QStringList({ "ﾊﾞｰｼﾞｮﾝ 1.0", "ﾊﾞｰｼﾞｮﾝ 1.12" }));
    }

    // The menu restarting a round, ending the game or opening a window during a round, a round
    // ended by anything but the clock, or a timer left ticking after it: the real timer ends the
    // round once the clock is past 30 s, and the ranking window gets the round's score as it is,
    // below zero too. After the round, 終了 ends the game.
    void menusWaitForTheRoundsEnd()
    {
        Game &g = *game;
        g.startRound();
        g.press(Qt::Key_Down);
        QStringList opened; // each window that opens, read and closed again, or the trigger would never return
        QString score;
        whenModalShows([&opened, &score](QWidget *window) {
            opened << window->windowTitle();
            if (const QLabel *label = window->findChild<QLabel *>("Label1"))
                score = label->text();
            leave(window, WayOut::CloseButton);
        });
        for (QAction *item : g.form->menuBar()->actions()) {
            g.services.now += 10;
            item->trigger();
        }
        QCOMPARE(opened, QStringList());
        QCOMPARE(g.services.endProgramCalls, 0);
        g.services.now += 0.001;
        QTRY_COMPARE_WITH_TIMEOUT(opened, QStringList("ランキング"), ceilingMs);
        QCOMPARE(score, QString("-10"));
        QVERIFY(!g.form->findChild<QTimer *>()->isActive());
        g.form->findChild<QAction *>("mnuEnd")->trigger();
        QCOMPARE(g.services.endProgramCalls, 1);
    }
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
