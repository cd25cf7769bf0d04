// The start-up sequence that runs once inside the final window.
#pragma once

// Sets the fixed OpenGL state, probes the driver, places the cameras and
// loads everything the game needs. Problems are reported in message boxes;
// it always succeeds.
bool startUpEngine();

// Starts the looping background music (part of the start-up). Warns once
// when there is no audio device, or when the music cannot be played on the
// one there is.
void startMusic();
