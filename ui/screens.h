// The game's five screens: the per-frame function of the main loop draws the
// current one and moves between them.
#pragma once

#include "ui/menubutton.h"

// The top-level screen.
enum GameScreen : int {
    MainMenu = 0,
    IntroStory = 1,
    Playing = 2,
    EndingStory = 3,
    Credits = 4,
};

// The screens' process-wide state.
struct ScreenState {
    int currentScreen = MainMenu;  // the Escape key (input) and the screens move it
    unsigned logoTexture = 0;      // the engine logo, loaded at start-up
};

extern ScreenState screenState;

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

// Draws the current screen and applies its transitions; the mouse is the
// window's last report. Called once per pass of the main loop while the
// window is active; the loop counts the frame afterwards.
void drawFrame(const MouseState& mouse);

// The engine logo in the top-right corner of the menu and play screens.
void drawLogoOverlay();
