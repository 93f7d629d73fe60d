#pragma once

// The game's command line: --help, --help-all and --version are answered and an option that
// neither the game nor Qt knows is refused, each time ending the program; Qt's own options
// (-platform, -style, -display, -name...) go to Qt. A start without arguments needs none of this.

namespace app {

// Answers --help, --help-all or --version and exits, before anything needs a display: they
// work over ssh or in a terminal without one. Every other option is left to Qt first.
void answerHelpOrVersion(int argc, char *argv[]);

// Call just before QApplication is made from the same argc and argv: Qt takes its own options
// out of them while it starts. With no display to open it fails, but only once it has taken
// them: what is left then is refused as it would have been.
void refuseUnknownOptionsIfQtFails(int &argc, char *argv[]);

// Call once QApplication stands: refuses an option that Qt did not take.
void refuseUnknownOptions();

} // namespace app
