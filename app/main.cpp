#include "buildversion.h"
#include "controls.h"
#include "form1.h"
#include "systemservices.h"
#include "translations.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstdlib>

namespace {

void describeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("Quick reaction game with pairs of digits"));
    parser.addHelpOption();
    parser.addVersionOption();
    // Qt's options are single-dash words ("-platform"): never a run of short options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
}

// Answers --help and --version before anything needs a display: they work over ssh or in a
// terminal without one. Exits when it has answered. Every other option is left to Qt first.
void answerHelpOrVersion(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    describeOptions(parser);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp();
}

// Refuses an option that Qt did not take, and exits; `arguments` is the command line as Qt left it.
void refuseUnknownOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    describeOptions(parser);
    if (parser.parse(arguments))
        return;
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(parser.errorText()));
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

// Qt takes its own options out of the command line while QApplication starts: those of this Qt
// and of its window-system plugin, whatever they are in a later Qt. With no display to open it
// fails, but only once it has taken them: what is left then is refused as it would have been.
int *qtArgc = nullptr;
char **qtArgv = nullptr;
QtMessageHandler qtMessageHandler = nullptr;

void refuseUnknownOptionsOnFailure(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        QStringList left;
        for (int i = 0; i < *qtArgc; ++i)
            left << QString::fromLocal8Bit(qtArgv[i]);
        refuseUnknownOptions(left);
    }
    qtMessageHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Quickpair"));
    const QString version = QStringLiteral("%1.%2").arg(QUICKPAIR_VERSION_MAJOR).arg(QUICKPAIR_VERSION_MINOR);
    QCoreApplication::setApplicationVersion(version);
    // Most starts have no arguments: they skip the parser and its cost of about a millisecond.
    if (argc > 1) {
        answerHelpOrVersion(argc, argv);
        qtArgc = &argc;
        qtArgv = argv;
        qtMessageHandler = qInstallMessageHandler(refuseUnknownOptionsOnFailure);
    }

    // A global menu bar (Plasma, Unity) would take the menu out of the window and drop its items,
    // none of which has a submenu: the menu bar stays in the window.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication app(argc, argv);
    if (argc > 1) {
        qInstallMessageHandler(qtMessageHandler);
        refuseUnknownOptions(QCoreApplication::arguments());
    }
    // The desktop entry's id, which Wayland desktops match to show the game's icon and launcher.
    QApplication::setDesktopFileName(QStringLiteral(QUICKPAIR_APP_ID));
    platform::installFontSubstitutes();
    platform::installQtTranslations();

    platform::SystemServices services;
    game::Form1 form(services);
    form.show();
    return app.exec();
}
