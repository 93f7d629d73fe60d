// The game's start-up as app/main.cpp does it, line for line, with one addition: the probe
// that reports the first painted frame. The shipped program carries no benchmark code.

#include "buildversion.h"
#include "controls.h"
#include "firstframe.h"
#include "form1.h"
#include "systemservices.h"
#include "translations.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quickpair"));
    QApplication::setDesktopFileName(QStringLiteral(QUICKPAIR_APP_ID));
    platform::installFontSubstitutes();
    platform::installQtTranslations();

    platform::SystemServices services;
    game::Form1 form(services);
    bench::reportFirstFrame(&form);
    form.show();
    return app.exec();
}
