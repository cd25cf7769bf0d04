// The program entry. The game takes no command-line arguments.
#include "app/window.h"

int main()
{
    return runGame();
}
