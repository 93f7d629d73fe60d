#pragma once

// Platform services under a test's control: a clock that moves only when told, scripted
// random numbers and input-box answers, a recorded list of errors, and a folder of the
// test's own for the ranking file.

#include "services.h"

#include <QApplication>
#include <QList>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

class FakeServices : public platform::Services {
public:
    double now = 1000; // an arbitrary start: the clock is not since midnight
    QList<float> randoms; // consumed in order; 0 once used up
    QStringList names; // answers of the input box in order; an empty answer is Cancel
    int inputBoxCalls = 0;
    QString lastPrompt;
    QString lastTitle;
    QStringList errors;
    QString directory; // holds quip.ini
    QString fallbackFile; // read while quip.ini does not exist
    platform::Version version{ 1, 0 };
    int seedCalls = 0;
    int endProgramCalls = 0;

    // Queues random numbers that draw the given pair.
    void queuePair(int leftDigit, int rightDigit)
    {
        randoms << (leftDigit + 0.5f) / 10.0f << (rightDigit + 0.5f) / 10.0f;
    }

    double clockSeconds() override { return now; }
    void seedRandom() override { ++seedCalls; }
    float nextRandom() override { return randoms.isEmpty() ? 0.0f : randoms.takeFirst(); }
    QString inputBox(QWidget *, const QString &prompt, const QString &title) override
    {
        ++inputBoxCalls;
        lastPrompt = prompt;
        lastTitle = title;
        return names.isEmpty() ? QString() : names.takeFirst();
    }
    void showError(QWidget *, const QString &text) override { errors << text; }
    platform::RankingFiles rankingFiles() override
    {
        return { directory + QStringLiteral("/quip.ini"), fallbackFile };
    }
    platform::Version applicationVersion() override { return version; }
    void endProgram() override { ++endProgramCalls; }
};

// Runs an action on the next modal window as soon as it is shown, for a test that has to
// call something that only returns once that window has closed. Gives up after five seconds
// rather than hang the test.
inline void whenModalShows(std::function<void(QWidget *)> action, int triesLeft = 500)
{
    QTimer::singleShot(10, [action, triesLeft] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible())
            action(modal);
        else if (triesLeft > 0)
            whenModalShows(action, triesLeft - 1);
    });
}
