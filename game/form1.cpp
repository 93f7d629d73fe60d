#include "form1.h"

#include "accessibility.h"
#include "controls.h"
#include "design.h"
#include "form2.h"
#include "form3.h"
#include "icon.h"
#include "services.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>

namespace game {

namespace {

using namespace platform::design;

const QSize clientSize(394, 245);

} // namespace

Form1::Form1(platform::Services &platformServices, QWidget *parent)
    : QMainWindow(parent, mainWindowFlags)
    , services(platformServices)
{
    createControls();
    createMenus();
    // Load: one seed for the whole run, so every run deals other pairs.
    services.seedRandom();
}

// Design-time state: geometry in pixels at 96 dpi, fonts, colours and captions.
void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quickpair"));
    setWindowIcon(platform::windowIcon());

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(clientSize);
    platform::setBackground(client, black);
    setCentralWidget(client);

    const QFont digitFont = platform::designFont(gothic, 120);

    // Created back to front: a later sibling is drawn over an earlier one, so the title
    // stays above the digits it overlaps and the labels above the frame.
    Label1 = platform::makeLabel(client, QStringLiteral("Label1"),
                                 { QRect(24, 32, 97, 145), QStringLiteral("?"), digitFont, yellow, black });
    Label2 = platform::makeLabel(client, QStringLiteral("Label2"),
                                 { QRect(152, 32, 97, 153), QStringLiteral("?"), digitFont, yellow, black });
    Shape1 = new platform::Shape(client, QRect(272, 40, 113, 137), cyan, 3);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Label3 = platform::makeLabel(
        client, QStringLiteral("Label3"),
        { QRect(72, 16, 121, 25), QStringLiteral("Quickpair"), platform::designFont(comicSans, 15.75), cyan, black });
    Label4 = platform::makeLabel(
        client, QStringLiteral("Label4"),
        { QRect(288, 64, 41, 25), QStringLiteral("得点"), platform::designFont(gothic, 12), green, black });
    Label5 = platform::makeLabel(
        client, QStringLiteral("Label5"),
        { QRect(304, 96, 65, 25), QStringLiteral("0"), platform::designFont(arial, 18), red, black, Qt::AlignRight });
    Label6 =
        platform::makeLabel(client, QStringLiteral("Label6"),
                            { QRect(296, 136, 57, 25), QString(), platform::designFont(mincho, 18), yellow, black });
    // The caption labels the bare number, so a screen reader reads the score as "得点 0".
    Label4->setBuddy(Label5);

    // Hidden until the first round starts; from then on it stays visible.
    ProgressBar1 = new platform::ProgressBar(client, QRect(16, 200, 361, 17));
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    // Its value is the share of the round's time gone by, which is what the name says.
    ProgressBar1->setAccessibleName(QStringLiteral("経過時間"));
    ProgressBar1->hide();

    // The timer only refreshes the screen; the round's time is read from the clock.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1Tick);

    // No control takes the focus, so the window itself receives the arrow keys.
    setFocusPolicy(Qt::StrongFocus);
}

void Form1::createMenus()
{
    // Three items straight on the menu bar, each without a submenu; Alt and the access
    // key click an item just as the mouse does.
    mnuStart = menuBar()->addAction(QStringLiteral("スタート(&S)"));
    mnuStart->setObjectName(QStringLiteral("mnuStart"));
    mnuEnd = menuBar()->addAction(QStringLiteral("終了(&X)"));
    mnuEnd->setObjectName(QStringLiteral("mnuEnd"));
    mnuVer = menuBar()->addAction(QStringLiteral("?"));
    mnuVer->setObjectName(QStringLiteral("mnuVer"));
    // Read as the window it opens, not as a bare question mark.
    platform::setAccessibleName(mnuVer, QStringLiteral("バージョン情報"));
    connect(mnuStart, &QAction::triggered, this, &Form1::mnuStartClick);
    connect(mnuEnd, &QAction::triggered, this, &Form1::mnuEndClick);
    connect(mnuVer, &QAction::triggered, this, &Form1::mnuVerClick);

    // As tall as the layout makes the window: the menu bar as laid out at the client's width,
    // which under Windows' own style is a pixel more than its size hint.
    setFixedSize(clientSize.width(), clientSize.height() + menuBar()->heightForWidth(clientSize.width()));
    platform::centreOnScreen(this);
}

void Form1::mnuStartClick()
{
    // A running round is neither restarted nor extended.
    if (isPlaying)
        return;
    ProgressBar1->show();
    ProgressBar1->setProgress(0);
    startTime = services.clockSeconds();
    endTime = startTime + roundSeconds;
    Timer1->start(tickMilliseconds);
    isPlaying = true;
    MakeNumber();
}

void Form1::mnuEndClick()
{
    if (isPlaying)
        return;
    services.endProgram();
}

void Form1::mnuVerClick()
{
    if (isPlaying)
        return;
    // Created anew each time, so its load reads the version again; exec returns once it
    // has closed.
    version::Form2 form2(services, this);
    form2.exec();
}

void Form1::Timer1Tick()
{
    if (endTime < services.clockSeconds()) {
        // Stopped before GameOver, so no tick arrives while the ranking window is open.
        Timer1->stop();
        GameOver();
        return;
    }
    ProgressBar1->setProgress(progressPercent(startTime, services.clockSeconds()));
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    if (!isPlaying)
        return;
    // Modifiers are not looked at, and a held key's repeats are answers like any other.
    const std::optional<AnswerKind> keyAnswers = categoryAnsweredBy(event->key());
    if (!keyAnswers)
        return;
    const Judgement judgement = judge(question, *keyAnswers, score);
    score = judgement.score;
    platform::setTextColour(Label6, judgement.right ? yellow : red);
    Label6->setText(judgement.right ? QStringLiteral("ＯＫ") : QStringLiteral("ＮＧ"));
    Label5->setText(QString::number(score));
    MakeNumber();
}

void Form1::MakeNumber()
{
    const qint16 leftDigit = digitFrom(services.nextRandom());
    const qint16 rightDigit = digitFrom(services.nextRandom());
    question = classify(leftDigit, rightDigit);
    Label1->setText(QString::number(question.leftDigit));
    Label2->setText(QString::number(question.rightDigit));
}

void Form1::GameOver()
{
    isPlaying = false;
    ProgressBar1->setProgress(0);
    Label6->clear();
    // The ranking window reads the final score while it opens, so the score is reset
    // only after it has closed.
    showRankingWindow();
    score = 0;
    Label5->setText(QStringLiteral("0"));
}

void Form1::showRankingWindow()
{
    ranking::Form3 form3(services, rankingMemory, score, this);
    form3.exec();
}

} // namespace game
