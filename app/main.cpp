// The executable is only this: everything else lives in the game library.
#include "app/loop.h"

int main(int argc, char** argv)
{
    return GameMain(argc, argv);
}
