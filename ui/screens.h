// The per-frame function of the main loop: draws the current screen and
// counts the frame.
#pragma once

void drawFrame();
