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
    void tick() { QVERIFY(QMetaObject::invokeMethod(game->form.get(), "Timer1Tick")); }

private slots:
    void init() { game = std::make_unique<Game>(); }

    void arrowKeysAreJudgedAndShown_data()
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
    // A key judged against another pair than the one on screen, a key other than an arrow
    // counted, or a held key's repeats ignored: only an arrow key counts, judged against the
    // pair on screen, and the score, a mark in its colour and the next pair show at once. The next
    // pair, 2 and 8, is sum ten though its right digit is larger: a held Right costs 10.
    void arrowKeysAreJudgedAndShown()
    {
        QFETCH(int, left);
        QFETCH(int, right);
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifier, modifier);
        QFETCH(int, score);
        Game &g = *game;
        g.press(0, left, right);
        for (int other : { Qt::Key_A, Qt::Key_5, Qt::Key_Return, Qt::Key_Space, Qt::Key_Home })
            QTest::keyClick(g.form.get(), Qt::Key(other));
        g.press(key, 2, 8, modifier);
        QCOMPARE(g.text("Label5"), QString::number(score));
        QCOMPARE(g.text("Label6"), QString(score > 0 ? "ＯＫ" : "ＮＧ"));
        const QColor mark = g.form->findChild<QLabel *>("Label6")->palette().color(QPalette::WindowText);
        QCOMPARE(mark, QColor(score > 0 ? Qt::yellow : Qt::red));
        QCOMPARE(g.text("Label1") + g.text("Label2"), QString("28"));
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(g.form.get(), &repeat);
        QCOMPARE(int(g.form->tokuten()), score - 10);
    }

    void barFollowsTheClockAndTheRoundEndsAfterThirtySeconds_data()
    {
        QTest::addColumn<double>("start");
        QTest::newRow("a round") << 1000.0;
        QTest::newRow("a round past where midnight used to be") << 86390.0;
    }
    // A round timed by counting ticks, or cut short by the clock's midnight: the bar shows the
    // elapsed share of the 30 seconds on the monotonic clock, also where midnight used to be; a
    // key still counts at 30 s, the tick after ends the round and empties the bar. Outside a
    // round no key counts, and the score is reset and the mark cleared only once the ranking
    // window has read the score.
    void barFollowsTheClockAndTheRoundEndsAfterThirtySeconds()
    {
        QFETCH(double, start);
        Game &g = *game;
        g.press(Qt::Key_Up);
        g.services.now = start;
        g.press(0);
        QVERIFY(g.form->findChild<QProgressBar *>()->isVisible());
        for (double elapsed : { 0.0, 15.0, 30.0 }) {
            g.services.now = start + elapsed;
            if (elapsed > 0)
                tick();
            QCOMPARE(barShare(), elapsed / 30);
        }
        g.press(Qt::Key_Up);
        QString read; // the score the ranking window shows
        whenModalShows([&read](QWidget *window) {
            read = window->findChild<QLabel *>("Label1")->text();
            leave(window, 0);
        });
        g.services.now += 0.05;
        tick();
        QCOMPARE(read, QString("10"));
        QCOMPARE(g.text("Label5"), QString("0"));
        QCOMPARE(g.text("Label6"), QString());
        QCOMPARE(barShare(), 0.0);
    }

    // A window centred before it has its size, digits in a small type, a client area cut off by
    // the menu bar, a bar shown before the first round, or random numbers seeded other than once,
    // at the load.
    void windowAsItOpens()
    {
        Game &g = *game;
        QCOMPARE(g.services.seedCalls, 1);
        const QPoint offCentre = g.form->frameGeometry().center() - g.form->screen()->availableGeometry().center();
        QVERIFY(offCentre.manhattanLength() < 5);
        QVERIFY(QFontInfo(g.form->findChild<QLabel *>("Label1")->font()).pixelSize() > 100);
        QWidget *client = g.form->centralWidget();
        QCOMPARE(client->mapTo(g.form.get(), QPoint(0, client->height())).y(), g.form->height());
        QVERIFY(!g.form->findChild<QProgressBar *>()->isVisible());
    }

    // A version window made once, or a two-digit number cut: the window is made anew for each
    // showing, so it reads the version every time, a two-digit number whole; Enter and 戻る close it.
    void versionWindowReadsTheVersionEachTime()
    {
        Game &g = *game;
        for (int minor : { 0, 12 }) {
            g.services.version = { 1, minor };
            QString shown, left;
            whenModalShows([&shown, &left, minor](QWidget *window) {
                shown = window->findChild<QLabel *>("Label3")->text();
                left = leave(window, minor ? 0 : Qt::Key_Return);
            });
            g.form->findChild<QAction *>("mnuVer")->trigger();
            QCOMPARE(shown, "ﾊﾞｰｼﾞｮﾝ 1." + QString::number(minor));
            QCOMPARE(left, QString());
        }
    }

    // The menu restarting a round, ending the game or opening a window during a round, a round
    // ended by anything but the clock, or a timer left ticking after it: the real timer ends the
    // round once the clock is past 30 s, and the ranking window gets the round's score as it is,
    // below zero too. After the round, 終了 ends the game.
    void menusWaitForTheRoundsEnd()
    {
        Game &g = *game;
        g.press(0);
        g.press(Qt::Key_Down);
        QStringList opened; // each window that opens, read and closed again, or the trigger would never return
        QString score;
        whenModalShows([&opened, &score](QWidget *window) {
            opened << window->windowTitle();
            if (const QLabel *label = window->findChild<QLabel *>("Label1"))
                score = label->text();
            leave(window, -1);
        });
        for (QAction *item : g.form->menuBar()->actions()) {
            g.services.now += 10;
            item->trigger();
        }
        QCOMPARE(opened, QStringList());
        QCOMPARE(g.services.endProgramCalls, 0);
        g.services.now += 0.001;
        QTRY_COMPARE_WITH_TIMEOUT(opened, QStringList("ランキング"), 30000);
        QCOMPARE(score, QString("-10"));
        QVERIFY(!g.form->findChild<QTimer *>()->isActive());
        g.form->findChild<QAction *>("mnuEnd")->trigger();
        QCOMPARE(g.services.endProgramCalls, 1);
    }
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
