#include "buildversion.h"
#include "controls.h"
#include "form1.h"
#include "systemservices.h"
#include "translations.h"

#include <QApplication>
#include <QCommandLineParser>

namespace {

// Answers --help and --version, and refuses an option it does not know, before anything needs a
// display: they work over ssh or in a terminal without one. Exits when it has answered.
void answerCommandLine(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quick reaction game with pairs of digits"));
    parser.addHelpOption();
    parser.addVersionOption();
    // Qt's own options, which the window system takes from the command line: known, not refused.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char *name : { "platform", "platformpluginpath", "platformtheme", "plugin", "display", "session",
                              "qwindowgeometry", "qwindowicon", "qwindowtitle", "style", "stylesheet" }) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : { "reverse", "widgetcount" }) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.process(application);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Quickpair"));
    const QString version = QStringLiteral("%1.%2").arg(QUICKPAIR_VERSION_MAJOR).arg(QUICKPAIR_VERSION_MINOR);
    QCoreApplication::setApplicationVersion(version);
    // Most starts have no arguments: they skip the parser and its cost of about a millisecond.
    if (argc > 1)
        answerCommandLine(argc, argv);

    // A global menu bar (Plasma, Unity) would take the menu out of the window and drop its items,
    // none of which has a submenu: the menu bar stays in the window.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication app(argc, argv);
    // The desktop entry's id, which Wayland desktops match to show the game's icon and launcher.
    QApplication::setDesktopFileName(QStringLiteral(QUICKPAIR_APP_ID));
    platform::installFontSubstitutes();
    platform::installQtTranslations();

    platform::SystemServices services;
    game::Form1 form(services);
    form.show();
    return app.exec();
}
