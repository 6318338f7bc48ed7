// The executable is only this: everything else lives in the game library.
#include "app/loop.h"

int main()
{
    return GameMain();
}
