#include "form2.h"

#include "controls.h"
#include "design.h"
#include "icon.h"
#include "services.h"
#include "versiontext.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

namespace version {

namespace {

using namespace platform::design;

const QSize clientSize(263, 160);

} // namespace

Form2::Form2(platform::Services &services, QWidget *parent)
    : QDialog(parent, dialogFlags)
{
    createControls();
    // Load: the version is read from the program every time the window is created.
    Label3->setText(versionText(services.applicationVersion()));
}

// Design-time state: geometry in pixels at 96 dpi, fonts, colours and captions. No layouts:
// the window can be resized, but its controls keep their places and sizes.
void Form2::createControls()
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowIcon(platform::windowIcon());
    resize(clientSize);
    platform::setBackground(this, white);

    const QFont windowFont = QApplication::font();

    // Created back to front: a later sibling is drawn over an earlier one.
    Label1 = platform::makeLabel(
        this, QStringLiteral("Label1"),
        { QRect(88, 16, 153, 33), QStringLiteral("Quickpair"), platform::designFont(gothic, 24), blue, white });
    const QString licence = QStringLiteral("MIT ライセンスで配布しています。");
    Label2 = platform::makeLabel(this, QStringLiteral("Label2"),
                                 { QRect(8, 136, 241, 17), licence, windowFont, black, white });
    Label3 = platform::makeLabel(this, QStringLiteral("Label3"),
                                 { QRect(88, 48, 145, 25), QString(), platform::designFont(gothic, 12), black, white });
    Label4 = platform::makeLabel(this, QStringLiteral("Label4"),
                                 { QRect(8, 96, 145, 17), QStringLiteral("開発チーム 2026"),
                                   platform::designFont(gothic, 14.25), black, white });

    // A 5-pixel rule centred on y = 88, one pixel longer than the client is wide.
    Line1 = new QWidget(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(0, 86, 264, 5);
    Line1->setAttribute(Qt::WA_TransparentForMouseEvents);
    platform::setBackground(Line1, teal);

    Label5 = platform::makeLabel(
        this, QStringLiteral("Label5"),
        { QRect(8, 120, 177, 17), QStringLiteral("example.org/quickpair"), windowFont, black, white });

    // The 32 x 32 icon inside a sunken border of 2 pixels on each side.
    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(16, 16, 36, 36);
    picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picIcon->setLineWidth(2);
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(platform::windowIcon().pixmap(32, 32));
    picIcon->setFocusPolicy(Qt::StrongFocus);

    Command1 = new QPushButton(QStringLiteral("戻る"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(192, 96, 65, 25);
    Command1->setFont(platform::designFont(gothic, 12));
    // Enter presses the button wherever the focus is; Escape closes the window as in
    // every dialog.
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1Click);

    // The icon comes first in the tab order and holds the focus when the window opens.
    setTabOrder(picIcon, Command1);
    picIcon->setFocus();

    platform::centreOnScreen(this);
}

void Form2::Command1Click()
{
    // The same way out as the title bar's close button: nothing is kept.
    close();
}

} // namespace version
