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
    QStringList asked; // the window each input box stood over
    QStringList errors;
    QStringList toldOver; // the window each error message stood over
    platform::RankingFiles files;
    platform::Version version{ 1, 0 };
    int seedCalls = 0, endProgramCalls = 0;

    double clockSeconds() override { return now; }
    void seedRandom() override { ++seedCalls; }
    float nextRandom() override { return randoms.isEmpty() ? 0.0f : randoms.takeFirst(); }
    QString inputBox(QWidget *parent, const QString &, const QString &) override
    {
        asked << (parent ? parent->objectName() : "");
        return names.isEmpty() ? QString() : names.takeFirst();
    }
    void showError(QWidget *parent, const QString &text) override
    {
        toldOver << parent->objectName();
        errors << text;
    }
    platform::RankingFiles rankingFiles() override { return files; }
    platform::Version applicationVersion() override { return version; }
    void endProgram() override { ++endProgramCalls; }
};

// Runs an action on the next modal window once it is the active window, for a test that calls
// something that returns only once that window has closed. Looks again every 10 ms, so that a
// window which opens later (at a timer's tick) is met too; gives up after 30 seconds, or once the
// test that asked has ended.
inline void whenModalShows(std::function<void(QWidget *)> action, QDeadlineTimer ceiling = QDeadlineTimer(30000),
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

// Closes a window as a player would: with a key to the widget that has the window's focus, a
// click on its button (0) or the close button (-1). Says whether that left it open, and then
// closes it anyway, so that no test hangs.
inline QString leave(QWidget *window, int key)
{
    if (key > 0) {
        if (!QTest::qWaitForWindowActive(window, 30000) || !window->focusWidget()) {
            window->close();
            return "never active";
        }
        QTest::keyClick(window->focusWidget(), Qt::Key(key));
    } else if (key == 0) {
        QTest::mouseClick(window->findChild<QPushButton *>("Command1"), Qt::LeftButton);
    } else {
        window->close();
    }
    return window->isVisible() && window->close() ? "still open" : "";
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
        QVERIFY(QTest::qWaitForWindowActive(form.get(), 30000));
    }
    QString text(const char *label) const { return form->findChild<QLabel *>(label)->text(); }

    // Presses a key, or with none starts a round from the menu; the pair drawn next is the one given.
    void press(int key, int left = 5, int right = 5, Qt::KeyboardModifiers modifiers = {})
    {
        services.randoms << (left + 0.5f) / 10 << (right + 0.5f) / 10;
        if (key)
            QTest::keyClick(form.get(), Qt::Key(key), modifiers);
        else
            form->findChild<QAction *>("mnuStart")->trigger();
    }
};
