#pragma once

class QWidget;

namespace app {

// The game's start-up: the command line, the application, the main window, then the event loop
// until the game ends; returns the program's exit code. The start-up benchmark runs it too, and
// hands `beforeShow` the main window just before it is shown, to watch its first frame.
int runGame(int &argc, char *argv[], void (*beforeShow)(QWidget *window) = nullptr);

} // namespace app
