#pragma once

#include "rankinground.h"
#include "services.h"

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace platform {
class Shape;
}

namespace ranking {

// What the ranking window keeps from one showing to the next while the game runs.
struct RankingMemory {
    // The rows last shown, which a round shows again where the file does not supply them.
    RankingTable rows;
    // Without the CP932 converter no round's ranking can ever be read or saved: the player is
    // told once a run.
    bool toldNoConverter = false;
};

// The ranking window: the top three with their names, and the score of the round that has
// just ended. It shows that round's ranking while it is created, asking for a name when the
// score enters, saves it to "quip.ini" when it closes, and tells the player what went wrong.
class Form3 : public QDialog {
    Q_OBJECT
public:
    // The memory belongs to the caller and outlives the window; `parent` is the main window,
    // over which the name entry appears before this window is shown.
    Form3(platform::Services &services, RankingMemory &memory, qint16 tokuten, QWidget *parent);

public slots:
    // The close button and Escape save just as Back does: an entered score is never lost.
    void reject() override;

private slots:
    void Command1Click();

private:
    void createControls();
    void FormLoad(qint16 tokuten);
    void IniRead();
    void Iniwrite();
    void tellCannotRead(const QString &path, bool entryLost);

    platform::Services &services;
    RankingMemory &memory;
    RankingRound round;

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    std::array<QLabel *, 3> Label4{};
    std::array<QLabel *, 3> Label5{};
    std::array<QLabel *, 3> Label6{};
    QLabel *Label7 = nullptr;
    platform::Shape *Shape1 = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace ranking
