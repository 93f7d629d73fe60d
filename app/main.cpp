#include "buildversion.h"
#include "controls.h"
#include "form1.h"
#include "systemservices.h"
#include "translations.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // A global menu bar (Plasma, Unity) would take the menu out of the window and drop its items,
    // none of which has a submenu: the menu bar stays in the window.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quickpair"));
    // The desktop entry's id, which Wayland desktops match to show the game's icon and launcher.
    QApplication::setDesktopFileName(QStringLiteral(QUICKPAIR_APP_ID));
    platform::installFontSubstitutes();
    platform::installQtTranslations();

    platform::SystemServices services;
    game::Form1 form(services);
    form.show();
    return app.exec();
}
