// The game's own start-up, as the program runs it, with the probe that reports the first
// painted frame. The shipped program carries no benchmark code.

#include "firstframe.h"
#include "startup.h"

int main(int argc, char *argv[])
{
    return app::runGame(argc, argv, bench::reportFirstFrame);
}
