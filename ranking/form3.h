#pragma once

#include "rankingtable.h"
#include "services.h"

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace platform {
class Shape;
}

namespace ranking {

// The ranking window: the top three with their names, and the score of the round that has
// just ended. It ranks that score while it is created, asking for a name when it enters, and
// saves the table to "quip.ini" when it closes.
class Form3 : public QDialog {
    Q_OBJECT
public:
    // The table belongs to the caller and outlives the window; `parent` is the main window,
    // over which the name entry appears before this window is shown.
    Form3(platform::Services &services, RankingTable &table, qint16 tokuten, QWidget *parent);

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
    RankingTable &table;
    platform::RankingFiles files;
    // The rows as read at load, later as saved, without this round's entry: Back ranks the
    // entry into the file as it stands then, which another copy of the game may have changed.
    RankingTable rowsRead;
    bool entryToSave = false;
    // Set when the file is there but could not be read, or cannot be converted: the table
    // lacks its rows, so writing it would destroy them.
    bool leaveFileAlone = false;

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
