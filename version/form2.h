#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace platform {
class Services;
}

namespace version {

// The version window: the icon, the product name, the version number read from the
// program itself, and the makers' credits. Created anew every time it is shown.
class Form2 : public QDialog {
    Q_OBJECT
public:
    Form2(platform::Services &services, QWidget *parent = nullptr);

private slots:
    void Command1Click();

private:
    void createControls();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QWidget *Line1 = nullptr;
    QLabel *picIcon = nullptr;
    QPushButton *Command1 = nullptr;
};

} // namespace version
