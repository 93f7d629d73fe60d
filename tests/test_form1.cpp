#include "controls.h"
#include "fakeservices.h"
#include "form1.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using game::Form1;

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsIdleWithTheDesignTimeView();
    void windowHasFixedClientSizeBelowTheMenuBar();
    void startShowsTheBarAndTheFirstPair();
    void arrowKeysAreJudgedAndShown();
    void modifiersAreIgnoredAndHeldKeysAnswerAStream();
    void otherKeysAndKeysOutsideARoundChangeNothing();
    void ticksAdvanceTheBarAndEndTheRoundAfterThirtySeconds();
    void theRealTimerEndsTheRound();
    void menuItemsDoNothingDuringARound();
    void menuItemsAnswerTheirAccessKeys();
    void secondRoundStartsFromZero();
    void roundLastsThirtySecondsWhateverTheClockReads();
    void scoreStopsBeforeItWouldWrap();
    void finalScoreStaysUntilTheRankingWindowCloses();
    void rankingWindowReadsANegativeScoreUnchanged();

private:
    QLabel *label(const char *name) { return form->findChild<QLabel *>(QString::fromLatin1(name)); }
    platform::ProgressBar *bar() { return form->findChild<platform::ProgressBar *>("ProgressBar1"); }
    QTimer *timer() { return form->findChild<QTimer *>("Timer1"); }
    QAction *menuItem(const char *name) { return form->findChild<QAction *>(QString::fromLatin1(name)); }
    void clickMenu(const char *name);
    void tick() { QVERIFY(QMetaObject::invokeMethod(form, "Timer1Tick")); }
    void startRound();
    void pressBackWhenRankingShows();

    FakeServices services;
    std::unique_ptr<QTemporaryDir> programDirectory;
    Form1 *form = nullptr;
};

void TestForm1::init()
{
    services = FakeServices();
    // Every round ends in the ranking window, which saves its file here.
    programDirectory = std::make_unique<QTemporaryDir>();
    QVERIFY(programDirectory->isValid());
    services.directory = programDirectory->path();
    form = new Form1(services);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
}

void TestForm1::cleanup()
{
    delete form;
    form = nullptr;
}

void TestForm1::clickMenu(const char *name)
{
    QMenuBar *bar = form->menuBar();
    const QRect where = bar->actionGeometry(menuItem(name));
    QVERIFY(where.isValid());
    QTest::mouseClick(bar, Qt::LeftButton, {}, where.center());
}

void TestForm1::startRound()
{
    services.queuePair(5, 5);
    clickMenu("mnuStart");
    QVERIFY(timer()->isActive());
}

// The end of a round opens the ranking window modally: a test that ends one has Back pressed
// as soon as the window shows, or closes it if it has no Back button, so nothing hangs.
void TestForm1::pressBackWhenRankingShows()
{
    whenModalShows([](QWidget *modal) {
        if (auto *back = modal->findChild<QPushButton *>(QStringLiteral("Command1")))
            QTest::mouseClick(back, Qt::LeftButton);
        else
            modal->close();
    });
}

void TestForm1::startsIdleWithTheDesignTimeView()
{
    QCOMPARE(form->windowTitle(), QStringLiteral("Quickpair"));
    QCOMPARE(label("Label1")->text(), QStringLiteral("?"));
    QCOMPARE(label("Label2")->text(), QStringLiteral("?"));
    QCOMPARE(platform::textColour(label("Label1")), QColor(255, 255, 0));
    QCOMPARE(platform::textColour(label("Label2")), QColor(255, 255, 0));
    QCOMPARE(label("Label3")->text(), QStringLiteral("Quickpair"));
    QCOMPARE(platform::textColour(label("Label3")), QColor(0, 255, 255));
    QCOMPARE(label("Label4")->text(), QStringLiteral("得点"));
    QCOMPARE(label("Label5")->text(), QStringLiteral("0"));
    QCOMPARE(platform::textColour(label("Label5")), QColor(255, 0, 0));
    QVERIFY(label("Label5")->alignment() & Qt::AlignRight);
    QCOMPARE(label("Label6")->text(), QString());
    QVERIFY(!bar()->isVisible());
    QVERIFY(!timer()->isActive());
    QCOMPARE(form->tokuten(), qint16(0));
    QCOMPARE(services.seedCalls, 1);
    // Japanese captions must come out in a font that has kana and kanji.
    QVERIFY(QFontMetrics(label("Label4")->font()).inFont(QChar(u'得')));
    QVERIFY(QFontMetrics(label("Label6")->font()).inFont(QChar(u'Ｏ')));
}

void TestForm1::windowHasFixedClientSizeBelowTheMenuBar()
{
    QCOMPARE(form->centralWidget()->size(), QSize(394, 245));
    QCOMPARE(form->centralWidget()->y(), form->menuBar()->height());
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    // The score's right edge is where "5", "15" and "-10" all end.
    QCOMPARE(label("Label5")->geometry().right() + 1, 369);
    QCOMPARE(form->centralWidget()->palette().color(QPalette::Window), QColor(0, 0, 0));
    const QList<QAction *> items = form->menuBar()->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items[0]->text(), QStringLiteral("スタート(&S)"));
    QCOMPARE(items[1]->text(), QStringLiteral("終了(&X)"));
    QCOMPARE(items[2]->text(), QStringLiteral("?"));
}

void TestForm1::startShowsTheBarAndTheFirstPair()
{
    services.queuePair(3, 8);
    clickMenu("mnuStart");
    QVERIFY(bar()->isVisible());
    QCOMPARE(bar()->progress(), 0.0f);
    QVERIFY(timer()->isActive());
    QCOMPARE(timer()->interval(), 100);
    QCOMPARE(timer()->timerType(), Qt::PreciseTimer);
    QCOMPARE(label("Label1")->text(), QStringLiteral("3"));
    QCOMPARE(label("Label2")->text(), QStringLiteral("8"));
    // The start leaves score and mark as they were.
    QCOMPARE(label("Label5")->text(), QStringLiteral("0"));
    QCOMPARE(label("Label6")->text(), QString());
}

void TestForm1::arrowKeysAreJudgedAndShown()
{
    startRound(); // 5 and 5 on screen
    services.queuePair(9, 2);
    QTest::keyClick(form, Qt::Key_Up);
    QCOMPARE(form->tokuten(), qint16(10));
    QCOMPARE(label("Label6")->text(), QStringLiteral("ＯＫ"));
    QCOMPARE(platform::textColour(label("Label6")), QColor(255, 255, 0));
    QCOMPARE(label("Label5")->text(), QStringLiteral("10"));
    QCOMPARE(label("Label1")->text(), QStringLiteral("9"));
    QCOMPARE(label("Label2")->text(), QStringLiteral("2"));

    services.queuePair(4, 6);
    QTest::keyClick(form, Qt::Key_Left); // 9 and 2: right
    QCOMPARE(form->tokuten(), qint16(11));
    QCOMPARE(label("Label6")->text(), QStringLiteral("ＯＫ"));
    QCOMPARE(platform::textColour(label("Label6")), QColor(255, 255, 0));

    services.queuePair(0, 0);
    QTest::keyClick(form, Qt::Key_Left); // 4 and 6 sum ten: costs 10
    QCOMPARE(form->tokuten(), qint16(1));
    QCOMPARE(label("Label6")->text(), QStringLiteral("ＮＧ"));
    QCOMPARE(platform::textColour(label("Label6")), QColor(255, 0, 0));

    services.queuePair(7, 3);
    QTest::keyClick(form, Qt::Key_Up); // 0 and 0 equal: costs 5
    QCOMPARE(form->tokuten(), qint16(-4));
    QCOMPARE(label("Label5")->text(), QStringLiteral("-4"));

    services.queuePair(1, 1);
    QTest::keyClick(form, Qt::Key_Right); // 7 and 3 sum ten: costs 10
    QCOMPARE(label("Label5")->text(), QStringLiteral("-14"));
    QCOMPARE(label("Label6")->text(), QStringLiteral("ＮＧ"));

    QTest::keyClick(form, Qt::Key_Down); // 1 and 1 equal: +5
    QCOMPARE(label("Label5")->text(), QStringLiteral("-9"));
    QCOMPARE(label("Label6")->text(), QStringLiteral("ＯＫ"));
    QCOMPARE(platform::textColour(label("Label6")), QColor(255, 255, 0));
}

void TestForm1::modifiersAreIgnoredAndHeldKeysAnswerAStream()
{
    startRound();
    services.queuePair(9, 2);
    QTest::keyClick(form, Qt::Key_Up, Qt::ControlModifier); // 5 and 5
    services.queuePair(6, 1);
    QTest::keyClick(form, Qt::Key_Left, Qt::ShiftModifier); // 9 and 2
    QCOMPARE(form->tokuten(), qint16(11));

    // Auto-repeated key-downs of a held key are answers too, each drawing a new pair.
    services.queuePair(8, 0);
    services.queuePair(3, 2);
    services.queuePair(0, 0);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(form, &repeat);
    }
    QCOMPARE(form->tokuten(), qint16(14));
    QCOMPARE(label("Label1")->text(), QStringLiteral("0"));
}

void TestForm1::otherKeysAndKeysOutsideARoundChangeNothing()
{
    services.queuePair(5, 5);
    QTest::keyClick(form, Qt::Key_Up);
    QCOMPARE(form->tokuten(), qint16(0));
    QCOMPARE(label("Label1")->text(), QStringLiteral("?"));
    QCOMPARE(label("Label6")->text(), QString());

    clickMenu("mnuStart"); // draws 5 and 5
    services.queuePair(1, 2);
    for (Qt::Key key : { Qt::Key_A, Qt::Key_5, Qt::Key_Return, Qt::Key_Space, Qt::Key_Escape, Qt::Key_Tab })
        QTest::keyClick(form, key);
    QCOMPARE(form->tokuten(), qint16(0));
    QCOMPARE(label("Label5")->text(), QStringLiteral("0"));
    QCOMPARE(label("Label6")->text(), QString());
    QCOMPARE(label("Label1")->text(), QStringLiteral("5"));
    QCOMPARE(label("Label2")->text(), QStringLiteral("5"));
}

void TestForm1::ticksAdvanceTheBarAndEndTheRoundAfterThirtySeconds()
{
    startRound();
    QTest::keyClick(form, Qt::Key_Down); // 5 and 5 is sum ten: -10
    const double start = services.now;

    services.now = start + 0.1;
    tick();
    QVERIFY(qAbs(bar()->progress() - 0.3333f) < 0.001f);
    services.now = start + 15;
    tick();
    QCOMPARE(bar()->progress(), 50.0f);
    services.now = start + 29.95;
    tick();
    QVERIFY(bar()->progress() > 99.8f);
    // Exactly at the end time the round still runs: it ends once the end lies before now.
    services.now = start + 30;
    tick();
    QVERIFY(timer()->isActive());
    QCOMPARE(bar()->progress(), 100.0f);

    services.now = start + 30.05;
    pressBackWhenRankingShows();
    tick();
    QVERIFY(!timer()->isActive());
    QCOMPARE(bar()->progress(), 0.0f);
    QVERIFY(bar()->isVisible());
    QCOMPARE(label("Label6")->text(), QString());
    QCOMPARE(form->tokuten(), qint16(0));
    QCOMPARE(label("Label5")->text(), QStringLiteral("0"));
    // The last pair stays on screen, and keys are no longer judged.
    QCOMPARE(label("Label1")->text(), QStringLiteral("0"));
    QTest::keyClick(form, Qt::Key_Up);
    QCOMPARE(form->tokuten(), qint16(0));
    QCOMPARE(label("Label6")->text(), QString());
}

void TestForm1::theRealTimerEndsTheRound()
{
    startRound();
    services.now += 12;
    QTRY_VERIFY_WITH_TIMEOUT(bar()->progress() == 40.0f, 2000);
    services.now += 18.2;
    pressBackWhenRankingShows();
    QTRY_VERIFY_WITH_TIMEOUT(!timer()->isActive(), 2000);
    QCOMPARE(bar()->progress(), 0.0f);
}

void TestForm1::menuItemsDoNothingDuringARound()
{
    startRound();
    services.queuePair(9, 2);
    QTest::keyClick(form, Qt::Key_Up);
    const double start = services.now - 0; // the round began at this reading

    services.now += 10;
    services.queuePair(1, 1);
    clickMenu("mnuStart");
    QCOMPARE(label("Label1")->text(), QStringLiteral("9"));
    QCOMPARE(form->tokuten(), qint16(10));
    // Neither restarted nor extended: the round still ends 30 s after its first start.
    services.now = start + 30.05;
    clickMenu("mnuEnd");
    clickMenu("mnuVer");
    QCOMPARE(services.endProgramCalls, 0);
    QVERIFY(menuItem("mnuStart")->isEnabled());
    pressBackWhenRankingShows();
    tick();
    QVERIFY(!timer()->isActive());

    clickMenu("mnuEnd");
    QCOMPARE(services.endProgramCalls, 1);
}

void TestForm1::menuItemsAnswerTheirAccessKeys()
{
    services.queuePair(2, 7);
    QTest::keyClick(form, Qt::Key_S, Qt::AltModifier);
    QVERIFY(timer()->isActive());
    QCOMPARE(label("Label1")->text(), QStringLiteral("2"));
    QTest::keyClick(form, Qt::Key_X, Qt::AltModifier);
    QCOMPARE(services.endProgramCalls, 0);

    services.now += 31;
    pressBackWhenRankingShows();
    tick();
    // The offscreen platform has no window manager to hand the activation back to the main
    // window when the ranking window closes, as a desktop does.
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QTest::keyClick(form, Qt::Key_X, Qt::AltModifier);
    QCOMPARE(services.endProgramCalls, 1);
}

void TestForm1::secondRoundStartsFromZero()
{
    startRound();
    QTest::keyClick(form, Qt::Key_Up);
    services.now += 31;
    pressBackWhenRankingShows();
    tick();
    QCOMPARE(form->tokuten(), qint16(0));

    services.queuePair(6, 2);
    clickMenu("mnuStart");
    QVERIFY(timer()->isActive());
    QCOMPARE(bar()->progress(), 0.0f);
    QCOMPARE(label("Label5")->text(), QStringLiteral("0"));
    QCOMPARE(label("Label6")->text(), QString());
    QCOMPARE(label("Label1")->text(), QStringLiteral("6"));
    QCOMPARE(label("Label2")->text(), QStringLiteral("2"));
    services.now += 15;
    tick();
    QCOMPARE(bar()->progress(), 50.0f);
}

// A round started just before what would be local midnight still lasts 30 seconds: the
// clock is monotonic, so the end time is always reached and the bar never runs backwards.
void TestForm1::roundLastsThirtySecondsWhateverTheClockReads()
{
    services.now = 86390;
    startRound();
    services.now = 86405;
    tick();
    QCOMPARE(bar()->progress(), 50.0f);
    services.now = 86420.05;
    pressBackWhenRankingShows();
    tick();
    QVERIFY(!timer()->isActive());
}

// The score is a 16-bit number: a change that would leave its range is not stored.
void TestForm1::scoreStopsBeforeItWouldWrap()
{
    startRound();
    for (int i = 0; i < 3280; ++i) {
        services.queuePair(5, 5);
        QTest::keyClick(form, Qt::Key_Up);
    }
    QCOMPARE(form->tokuten(), qint16(32760));
    QCOMPARE(label("Label5")->text(), QStringLiteral("32760"));
    QCOMPARE(label("Label6")->text(), QStringLiteral("ＯＫ"));

    for (int i = 0; i < 3280 * 2 + 5; ++i) {
        services.queuePair(5, 5);
        QTest::keyClick(form, Qt::Key_Down);
    }
    QCOMPARE(form->tokuten(), qint16(-32760));
    QCOMPARE(label("Label5")->text(), QStringLiteral("-32760"));
    QCOMPARE(label("Label6")->text(), QStringLiteral("ＮＧ"));
}

// The ranking window reads the final score while it is open; only its closing resets it.
void TestForm1::finalScoreStaysUntilTheRankingWindowCloses()
{
    startRound();
    services.queuePair(1, 1);
    QTest::keyClick(form, Qt::Key_Up); // 5 and 5: +10
    services.now += 31;
    QString scoreWhileOpen;
    qint16 tokutenWhileOpen = 0;
    QString rankingScore;
    whenModalShows([&](QWidget *modal) {
        scoreWhileOpen = label("Label5")->text();
        tokutenWhileOpen = form->tokuten();
        if (auto *shown = modal->findChild<QLabel *>(QStringLiteral("Label1")))
            rankingScore = shown->text();
        modal->close();
    });
    tick();
    QCOMPARE(scoreWhileOpen, QStringLiteral("10"));
    QCOMPARE(tokutenWhileOpen, qint16(10));
    QCOMPARE(rankingScore, QStringLiteral("10"));
    QCOMPARE(label("Label5")->text(), QStringLiteral("0"));
    QCOMPARE(form->tokuten(), qint16(0));
    QVERIFY(!QApplication::activeModalWidget());
}

void TestForm1::rankingWindowReadsANegativeScoreUnchanged()
{
    startRound();
    services.queuePair(1, 1);
    QTest::keyClick(form, Qt::Key_Down); // 5 and 5 sum ten: -10
    services.queuePair(2, 1);
    QTest::keyClick(form, Qt::Key_Up); // 1 and 1 equal: -5
    services.now += 31;
    QString rankingScore;
    whenModalShows([&](QWidget *modal) {
        if (auto *shown = modal->findChild<QLabel *>(QStringLiteral("Label1")))
            rankingScore = shown->text();
        modal->close();
    });
    tick();
    QCOMPARE(rankingScore, QStringLiteral("-15"));
    // A negative score enters no empty table, so nobody is asked for a name.
    QCOMPARE(services.inputBoxCalls, 0);
}

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
