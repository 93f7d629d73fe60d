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
        return double(bar->value() - bar->minimum()) / (bar->maximum() - bar->minimum());
    }

private slots:
    void init() { game = std::make_unique<Game>(); }

    // The window opens centred; the digits are drawn at their 120-point size and the score's
    // frame around the score, inside a client area that the window shows whole; the bar waits
    // hidden for a round.
    void startsIdleAndDrawsBigDigits()
    {
        QMainWindow *form = game->form.get();
        QWidget *client = form->centralWidget();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QCOMPARE(client->mapTo(form, QPoint(0, client->height())).y(), form->height());
        QVERIFY((form->frameGeometry().center() - form->screen()->availableGeometry().center()).manhattanLength() <= 4);
        const QImage image = client->grab().toImage();
        // How many pixel rows hold the colour between two columns.
        const auto rowsWith = [&image](int left, int right, QColor colour) {
            int rows = 0;
            for (int y = 0; y < image.height(); ++y) {
                int x = left;
                while (x < right && image.pixelColor(x, y) != colour)
                    ++x;
                rows += x < right;
            }
            return rows;
        };
        QVERIFY(rowsWith(24, 121, Qt::yellow) > 100 && rowsWith(152, 249, Qt::yellow) > 100);
        QCOMPARE(rowsWith(300, 350, Qt::cyan), 6); // the frame's top and bottom lines
        // The client's own black, not the main window's grey behind it.
        QCOMPARE(form->grab().toImage().pixelColor(client->mapTo(form, QPoint(2, 2))), QColor(Qt::black));
        // The score grows to the left: its right edge stays under the caption.
        QVERIFY(form->findChild<QLabel *>("Label5")->alignment() & Qt::AlignRight);
        QVERIFY(!form->findChild<QProgressBar *>()->isVisible());
        QCOMPARE(game->services.seedCalls, 1);
    }

    void arrowKeysAreJudgedAndShown_data()
    {
        QTest::addColumn<QList<int>>("pairKeyScore"); // left, right, key, modifiers, score
        // Sum ten is tested first, equal second; a wrong key costs the worth of the pair.
        QTest::newRow("sum ten, Up") << QList<int>{ 7, 3, Qt::Key_Up, 0, 10 };
        QTest::newRow("5 and 5 is sum ten: Down costs 10") << QList<int>{ 5, 5, Qt::Key_Down, 0, -10 };
        QTest::newRow("sum ten: Left costs 10") << QList<int>{ 7, 3, Qt::Key_Left, 0, -10 };
        QTest::newRow("sum ten: Right costs 10") << QList<int>{ 2, 8, Qt::Key_Right, 0, -10 };
        QTest::newRow("equal, Down, with Shift") << QList<int>{ 0, 0, Qt::Key_Down, Qt::ShiftModifier, 5 };
        QTest::newRow("equal: Left costs 5") << QList<int>{ 9, 9, Qt::Key_Left, 0, -5 };
        QTest::newRow("left larger, Left, with Ctrl") << QList<int>{ 9, 2, Qt::Key_Left, Qt::ControlModifier, 1 };
        QTest::newRow("left larger: Up costs the pair's 1, not 10") << QList<int>{ 9, 2, Qt::Key_Up, 0, -1 };
        QTest::newRow("right larger, Right") << QList<int>{ 1, 8, Qt::Key_Right, 0, 1 };
    }
    // Only an arrow key counts, judged against the pair on screen; the score, a mark in its
    // colour and the next pair show at once. A held key's repeats answer the next pairs.
    void arrowKeysAreJudgedAndShown()
    {
        QFETCH(QList<int>, pairKeyScore);
        Game &g = *game;
        g.press(0, pairKeyScore[0], pairKeyScore[1]);
        QCOMPARE(g.text("Label1") + g.text("Label2"), QString::number(pairKeyScore[0]) + QString::number(pairKeyScore[1]));
        for (int other : { Qt::Key_A, Qt::Key_5, Qt::Key_Return, Qt::Key_Space, Qt::Key_Home })
            QTest::keyClick(g.form.get(), Qt::Key(other));
        g.press(pairKeyScore[2], 6, 2, Qt::KeyboardModifiers(pairKeyScore[3]));
        const int score = pairKeyScore[4];
        QCOMPARE(g.text("Label5") + g.text("Label6") + g.text("Label1") + g.text("Label2"), QString::number(score) + (score > 0 ? "ＯＫ62" : "ＮＧ62"));
        QCOMPARE(g.form->findChild<QLabel *>("Label6")->palette().color(QPalette::WindowText), QColor(score > 0 ? Qt::yellow : Qt::red));
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(g.form.get(), &repeat);
        QCOMPARE(int(g.form->tokuten()), score + 1);
    }

    // The drawn bar shows the elapsed share of the 30 seconds on the monotonic clock, also where
    // midnight used to be; a key still counts at 30 s, the tick after ends the round and empties
    // the bar. Outside a round no key counts, and the score is reset, the mark cleared, only once
    // the ranking window has read the score.
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
            const QString read = g.finish(0, {}, 0.05).value(0);
            QCOMPARE(read + g.text("Label5") + g.text("Label6"), QString("100"));
            shares << barShare();
        }
        QCOMPARE(shares, QList<double>({ 0, 0.5, 1, 0, 0, 0.5, 1, 0 }));
    }

    // The version window is made anew for each showing, so it reads the version every time; Enter
    // and 戻る close it. During a round the menu neither opens it, nor ends the game, nor restarts
    // the round; nothing but the clock ends a round, read at the timer's ticks, which then stop.
    // Afterwards, Alt+X ends the game.
    void menusAndTheRealTimer()
    {
        Game &g = *game;
        QStringList seen;
        for (int minor : { 0, 1 }) {
            g.services.version = { 1, minor };
            whenModalShows([&seen, minor](QWidget *window) {
                seen << window->findChild<QLabel *>("Label3")->text() + leave(window, minor ? 0 : Qt::Key_Return);
            });
            g.form->findChild<QAction *>("mnuVer")->trigger();
        }
        QCOMPARE(seen, QStringList({ "ﾊﾞｰｼﾞｮﾝ 1.0", "ﾊﾞｰｼﾞｮﾝ 1.1" }));
        g.form->activateWindow(); // offscreen gives no window back its focus when a dialog closes
        QVERIFY(QTest::qWaitForWindowActive(g.form.get()));
        g.services.randoms << 0.55f << 0.55f;
        QTest::keyClick(g.form->menuBar(), Qt::Key_S, Qt::AltModifier);
        g.press(Qt::Key_Up);
        // Any window that opens is read and closed again, or the trigger would never return.
        whenModalShows([&seen](QWidget *window) { seen << window->windowTitle() + window->findChild<QLabel *>("Label1")->text() + leave(window, -1); });
        for (QAction *item : g.form->menuBar()->actions()) {
            g.services.now += 10;
            item->trigger();
        }
        QCOMPARE(seen.size() + g.services.endProgramCalls, 2);
        g.services.now += 0.001;
        QTRY_COMPARE_WITH_TIMEOUT(seen.value(2), QString("ランキング10"), 2000);
        QVERIFY(!g.form->findChild<QTimer *>()->isActive());
        g.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(g.form.get()));
        QTest::keyClick(g.form->menuBar(), Qt::Key_X, Qt::AltModifier);
        QCOMPARE(g.services.endProgramCalls, 1);
    }
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
