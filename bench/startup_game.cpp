// The game's start-up as app/main.cpp does it, line for line, with one addition: the probe
// that reports the first painted frame. The shipped program carries no benchmark code.

#include "controls.h"
#include "firstframe.h"
#include "form1.h"
#include "systemservices.h"
#include "translations.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quickpair"));
    platform::installFontSubstitutes();
    platform::installQtTranslations();

    platform::SystemServices services;
    game::Form1 form(services);
    bench::reportFirstFrame(&form);
    form.show();
    return app.exec();
}
