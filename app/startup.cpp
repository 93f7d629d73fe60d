#include "startup.h"

#include "buildconfig.h"
#include "commandline.h"
#include "controls.h"
#include "form1.h"
#include "systemservices.h"
#include "translations.h"
#include "versiontext.h"

#include <QApplication>

namespace app {

int runGame(int &argc, char *argv[], void (*beforeShow)(QWidget *window))
{
    platform::SystemServices services;
    QCoreApplication::setApplicationName(QStringLiteral(QUICKPAIR_APP_NAME));
    QCoreApplication::setApplicationVersion(version::versionNumber(services.applicationVersion()));
    // Most starts have no arguments: they skip the parser and its cost of about a millisecond.
    const bool hasArguments = argc > 1;
    if (hasArguments) {
        answerHelpOrVersion(argc, argv);
        refuseUnknownOptionsIfQtFails(argc, argv);
    }

    // A global menu bar (Plasma, Unity) would take the menu out of the window and drop its items,
    // none of which has a submenu: the menu bar stays in the window.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication application(argc, argv);
    if (hasArguments)
        refuseUnknownOptions();
    // The desktop entry's id, which Wayland desktops match to show the game's icon and launcher.
    QApplication::setDesktopFileName(QStringLiteral(QUICKPAIR_APP_ID));
    platform::installFontSubstitutes();
    platform::installQtTranslations();

    game::Form1 form(services);
    if (beforeShow)
        beforeShow(&form);
    form.show();
    return application.exec();
}

} // namespace app
