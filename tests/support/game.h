#pragma once

// The main window over platform services under the test's control (a clock that moves only
// when told, scripted random numbers and input-box answers, recorded errors), its ranking file
// in a folder of the test's own, played with real key presses; and how a test meets and leaves
// the windows the game opens.

#include "files.h"
#include "form1.h"
#include "services.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class FakeServices : public platform::Services {
public:
    double now = 1000; // an arbitrary start: the clock is not since midnight
    QList<float> randoms; // consumed in order; 0 once used up
    QStringList names; // answers of the input box in order; none left is Cancel
    QList<QStringList> asked; // each input box: the window it stood over, its title and its prompt
    QStringList errors; // each message, after the window it stood over and ": "
    platform::RankingFiles files;
    platform::Version version{ 1, 0 };
    int seedCalls = 0, endProgramCalls = 0;

    double clockSeconds() override { return now; }
    void seedRandom() override { ++seedCalls; }
    float nextRandom() override { return randoms.isEmpty() ? 0.0f : randoms.takeFirst(); }
    QString inputBox(QWidget *parent, const QString &prompt, const QString &title) override
    {
        asked << QStringList{ parent ? parent->objectName() : "", title, prompt };
        return names.isEmpty() ? QString() : names.takeFirst();
    }
    void showError(QWidget *parent, const QString &text) override { errors << parent->objectName() + ": " + text; }
    platform::RankingFiles rankingFiles() override { return files; }
    platform::Version applicationVersion() override { return version; }
    void endProgram() override { ++endProgramCalls; }
};

// Every wait below gives up well before CTest's watchdog ends the test function (20 s), so that a
// test fails on what it did not see rather than being killed.
constexpr int ceilingMs = 10000;

// Runs an action on the next modal window once it is the active window, for a test that calls
// something that returns only once that window has closed. Looks again every 10 ms, so that a
// window which opens later (at a timer's tick) is met too; gives up at the ceiling, or once the
// test that asked has ended.
inline void whenModalShows(std::function<void(QWidget *)> action, QDeadlineTimer ceiling = QDeadlineTimer(ceilingMs),
                           QByteArray test = QByteArray(QTest::currentTestFunction()) + QTest::currentDataTag())
{
    QTimer::singleShot(10, [action, ceiling, test] {
        if (test != QByteArray(QTest::currentTestFunction()) + QTest::currentDataTag())
            return;
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isActiveWindow())
            action(modal);
        else if (!ceiling.hasExpired())
            whenModalShows(action, ceiling, test);
        else if (modal)
            modal->close(); // the call returns, and the test fails on what it did not see
    });
}

// The ways a player leaves a window: its button 戻る, a key to the widget that has its focus,
// or the close button of its title bar.
enum class WayOut { Back, CloseButton, Enter = Qt::Key_Return, Space = Qt::Key_Space, Escape = Qt::Key_Escape };
Q_DECLARE_METATYPE(WayOut)

// Leaves the window as a player would. Says whether that closed it, and closes it anyway, so that
// no test hangs.
inline bool leave(QWidget *window, WayOut way)
{
    if (way == WayOut::Back)
        QTest::mouseClick(window->findChild<QPushButton *>("Command1"), Qt::LeftButton);
    else if (way == WayOut::CloseButton)
        window->close();
    else if (QTest::qWaitForWindowActive(window, ceilingMs) && window->focusWidget())
        QTest::keyClick(window->focusWidget(), Qt::Key(way));
    return !(window->isVisible() && window->close());
}

struct Game {
    FakeServices services;
    QTemporaryDir folder;
    QString filePath = folder.filePath("quip.ini");
    std::unique_ptr<game::Form1> form;

    Game()
    {
        services.files.file = filePath;
        form = std::make_unique<game::Form1>(services);
        form->show();
        // Keys go to the window, and the windows it opens stand over it, only once it is active.
        QVERIFY(QTest::qWaitForWindowActive(form.get(), ceilingMs));
    }
    QLabel *label(const char *name) const { return form->findChild<QLabel *>(name); }
    // What the player sees: the score, the judgement mark in its colour, and the pair on screen.
    QString score() const { return label("Label5")->text(); }
    QString mark() const
    {
        return label("Label6")->text() + " " + label("Label6")->palette().windowText().color().name();
    }
    QString pair() const { return label("Label1")->text() + label("Label2")->text(); }

    // Deals the pair drawn next.
    void deal(int left, int right) { services.randoms << (left + 0.5f) / 10 << (right + 0.5f) / 10; }
    // Starts a round from the menu, with the pair given.
    void startRound(int left = 5, int right = 5)
    {
        deal(left, right);
        form->findChild<QAction *>("mnuStart")->trigger();
    }
    // The timer's tick, which ends the round once the clock is past its 30 seconds.
    void tick() { QVERIFY(QMetaObject::invokeMethod(form.get(), "Timer1Tick")); }
    // Leaves the next ranking window by 戻る once it shows, noting the score it read as it opened.
    QString rankingRead;
    void closeRankingWhenShown()
    {
        whenModalShows([this](QWidget *window) {
            rankingRead = window->findChild<QLabel *>("Label1")->text();
            leave(window, WayOut::Back);
        });
    }
    // Ends the running round: the clock past its 30 seconds, and a tick.
    void endRound()
    {
        closeRankingWhenShown();
        services.now += 30.05;
        tick();
    }
    // Presses a key; the pair drawn next is the one given.
    void press(Qt::Key key, int left = 5, int right = 5, Qt::KeyboardModifiers modifiers = {})
    {
        deal(left, right);
        QTest::keyClick(form.get(), key, modifiers);
    }
};
