#include "startup.h"

int main(int argc, char *argv[])
{
    return app::runGame(argc, argv);
}
