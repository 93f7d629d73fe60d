// The bare window as a program of its own. With --first-frame it reports its first painted
// frame and ends, as the game's start-up probe does.

#include "barewindow.h"
#include "firstframe.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    bench::BareWindow window;
    if (QApplication::arguments().contains(QStringLiteral("--first-frame")))
        bench::reportFirstFrame(&window);
    window.show();
    return app.exec();
}
