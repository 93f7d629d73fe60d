#pragma once

#include "programversion.h"
#include "rankingfiles.h"

#include <QString>

class QWidget;

namespace platform {

// Everything the windows need from the system that a test must be able to replace:
// the clock, the random numbers, the input box, error messages, files and quitting.
class Services {
public:
    virtual ~Services() = default;

    // Seconds on a monotonic clock. It never wraps at midnight and does not jump when
    // the wall clock is set, so a round always lasts its 30 seconds.
    virtual double clockSeconds() = 0;

    // Seeds the generator from the clock; called once when the main window loads.
    virtual void seedRandom() = 0;
    // Uniform in [0, 1), never 1.
    virtual float nextRandom() = 0;

    // Modal input box with an empty field. Cancel or closing the box gives an empty text.
    virtual QString inputBox(QWidget *parent, const QString &prompt, const QString &title) = 0;

    // Tells the player about a failure the game recovers from (a file it cannot read or write).
    virtual void showError(QWidget *parent, const QString &text) = 0;

    // The ranking file: "quip.ini" in the program's own directory, or in the player's data
    // folder for an installed copy and where the program's directory cannot take a new file.
    virtual RankingFiles rankingFiles() = 0;

    virtual Version applicationVersion() = 0;

    // Closes every window and ends the program.
    virtual void endProgram() = 0;
};

} // namespace platform
