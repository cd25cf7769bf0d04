// The per-pass keyboard and mouse handling: Escape switches between the menu
// and play, and during play W, A, S, D walk and the mouse looks around.
#pragma once

#include "core/geometry.h"

struct InputState {
    bool escapeLatch = false;  // Escape was down at the last pass
};

extern InputState input;

// Mouse look: pixels of cursor travel to the tilt of the view point (the
// single-precision 1/42) and to the turn in radians (1/286).
constexpr float mouseTiltPerPixel = 0.023809524f;
constexpr float mouseTurnPerPixel = 0.0034965035f;

// The Escape switch of one pass: play and credits go to the menu, the menu
// goes to play; the stories ignore Escape. One press switches once.
void applyEscape(bool escapeDown);

// Turns and tilts from the cursor's offset from the centre of a width x height
// area, then puts the cursor back at the centre.
void mouseLook(Camera& camera, int width, int height);

// Runs once per idle pass of the main loop: Escape, then, during play, the
// walking keys and the mouse look.
void processInput();
