#include "controls.h"
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
    form.show();
    return app.exec();
}
