// The top-level screen and the per-pass keyboard and mouse handling.
#pragma once

enum GameScreen : int {
    MainMenu = 0,
    IntroStory = 1,
    Playing = 2,
    EndingStory = 3,
    Credits = 4,
};

struct InputState {
    int currentScreen = MainMenu;
    bool escapeLatch = false;
};

extern InputState input;

// The Escape switch of one pass: play and credits go to the menu, the menu
// goes to play; the stories ignore Escape. One press switches once.
void applyEscape(bool escapeDown);

// Runs once per idle pass of the main loop: Escape, then, during play, the
// walking keys and the mouse look.
void processInput();
