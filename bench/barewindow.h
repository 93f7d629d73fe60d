#pragma once

#include <QMainWindow>

class QLabel;

namespace bench {

// The yardstick for the game's figures: the least a Qt Widgets program with a main window
// can be, a menu bar and one label. A key shows the number of keys so far in the label.
class BareWindow : public QMainWindow {
    Q_OBJECT
public:
    BareWindow();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLabel *label = nullptr;
    int keys = 0;
};

} // namespace bench
