#pragma once

#include "form3.h"
#include "rules.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QTimer;

namespace platform {
class Services;
class Shape;
class ProgressBar;
}

namespace game {

// The main window: two big digits, the score, the judgement mark and the round's progress.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(platform::Services &platformServices, QWidget *parent = nullptr);

    // The score of the running round; after a round, the final score until the ranking
    // window has closed.
    qint16 tokuten() const { return score; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void mnuStartClick();
    void mnuEndClick();
    void mnuVerClick();
    void Timer1Tick();

private:
    void createControls();
    void createMenus();
    void MakeNumber();
    void GameOver();
    void showRankingWindow();

    platform::Services &services;

    qint16 score = 0;
    bool isPlaying = false;
    double startTime = 0;
    double endTime = 0;
    Question question;
    // The ranking window is created anew for every finished round, while its rows last for
    // the whole run: the main window keeps them and lends them to each showing.
    ranking::RankingMemory rankingMemory;

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    platform::Shape *Shape1 = nullptr;
    platform::ProgressBar *ProgressBar1 = nullptr;
    QTimer *Timer1 = nullptr;
    QAction *mnuStart = nullptr;
    QAction *mnuEnd = nullptr;
    QAction *mnuVer = nullptr;
};

} // namespace game
