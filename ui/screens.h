// The game's five screens: the per-frame function of the main loop draws the
// current one, moves between them and counts the frame.
#pragma once

#include "app/input.h"

// What one frame of a screen can see that changes the screen.
struct ScreenEvents {
    int newGameState = 0;  // menu button states after their update
    int authorsState = 0;
    int quitState = 0;
    bool enterDown = false;
    bool levelComplete = false;
};

// What the frame's transition asks for besides the new screen.
struct ScreenStep {
    int screen = MainMenu;
    bool startNewGame = false;        // hit points to -1: the world restarts the level
    bool clearLevelComplete = false;  // the ending screen clears the flag every frame
    bool quit = false;                // leave the program with exit code 0
};

// The transitions of one frame on the given screen.
ScreenStep stepScreen(int screen, const ScreenEvents& events);

// Draws the current screen, applies its transitions and updates the frame
// rate. Called once per pass of the main loop while the window is active.
void drawFrame();

// The engine logo in the top-right corner of the menu and play screens.
void drawLogoOverlay();

// The logo's texture name, loaded at start-up.
extern unsigned logoTexture;
