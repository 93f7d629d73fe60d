#include "controls.h"
#include "form1.h"
#include "systemservices.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quickpair"));
    platform::installFontSubstitutes();

    platform::SystemServices services;
    game::Form1 form(services);
    form.show();
    return app.exec();
}
