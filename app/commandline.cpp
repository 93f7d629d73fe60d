#include "commandline.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstdlib>

namespace app {

namespace {

void describeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("Quick reaction game with pairs of digits"));
    parser.addHelpOption();
    parser.addVersionOption();
    // Qt's options are single-dash words ("-platform"): never a run of short options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
}

QStringList argumentList(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
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

// The program's one mutable global, because a message handler is a plain function with no data
// of its own: the command line Qt is taking apart reaches the handler only through this variable,
// filled just before QApplication starts and read if that start fails.
struct {
    int *argc = nullptr;
    char **argv = nullptr;
    QtMessageHandler previousHandler = nullptr;
} qtStart;

void refuseUnknownOptionsOnFailure(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg)
        refuseUnknownOptions(argumentList(*qtStart.argc, qtStart.argv));
    qtStart.previousHandler(type, context, message);
}

} // namespace

void answerHelpOrVersion(int argc, char *argv[])
{
    QCommandLineParser parser;
    describeOptions(parser);
    parser.parse(argumentList(argc, argv));
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    const bool withQtOptions = parser.isSet(QStringLiteral("help-all"));
    if (!withQtOptions && !parser.isSet(QStringLiteral("help")))
        return;
    // The help names the program as started, and --help-all adds the options of Qt's window-system
    // application: both need a QApplication, which Qt's minimal platform lets start without a display.
    char platformOption[] = "-platform";
    char minimal[] = "minimal";
    char *helpArgv[] = { argv[0], platformOption, minimal, nullptr };
    int helpArgc = 3;
    const QApplication application(helpArgc, helpArgv);
    const QString help = withQtOptions ? QStringLiteral("--help-all") : QStringLiteral("--help");
    parser.process({ QCoreApplication::arguments().constFirst(), help });
}

void refuseUnknownOptionsIfQtFails(int &argc, char *argv[])
{
    qtStart.argc = &argc;
    qtStart.argv = argv;
    qtStart.previousHandler = qInstallMessageHandler(refuseUnknownOptionsOnFailure);
}

void refuseUnknownOptions()
{
    qInstallMessageHandler(qtStart.previousHandler);
    refuseUnknownOptions(QCoreApplication::arguments());
}

} // namespace app
