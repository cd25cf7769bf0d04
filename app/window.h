// The program's frame: the window with its OpenGL context, the message loop,
// the frame counter and the tear-down.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Window and input state of the running program, in one record.
struct WindowState {
    bool fullscreen = false;            // the answer to the full-screen question
    bool windowActive = true;           // false while minimised; frames drawn only when true
    bool classRegistered = false;       // the platform window class exists
    bool windowCreated = false;         // the top-level window exists
    bool deviceContext = false;         // the window's device context is held
    bool renderingContext = false;      // the OpenGL context exists
    float mouseX = 0.0f;                // last mouse position in the client area, y down
    float mouseY = 0.0f;
    bool leftButtonDown = false;
    bool multisampleSupported = false;  // a multisampled pixel format was found
    int multisampleFormat = 0;          // its index
    float frameRate = 0.0f;             // frames counted in the last completed second
};

extern WindowState windowState;

extern const char* const gameTitle;

// The frame counter's private state: frames since the last report, the time
// of that report in seconds and the rate it reported.
struct FrameCounter {
    float frameCount = 0.0f;
    float lastReportTime = 0.0f;
    float lastReport = 0.0f;
    bool reported = false;  // the first counted frame always reports
};

// Counts one frame at time now (seconds). Returns true for the first frame,
// whatever the clock reads, and when more than a second has passed since the
// last report; the rate to show is then in lastReport and the count restarts
// at 1.
bool countFrame(FrameCounter& counter, float now);

// Counts one frame on the real clock, shows "FPS = %d" in the title when a
// second has passed, and returns the last reported rate.
float updateFrameCounter();

// Is the window-system (or, failing that, the GL) extension offered?
bool hasWglExtension(const char* name);

bool setupMultisampleFormat();
bool createGameWindow(const char* title, int width, int height, int bits, bool fullscreenFlag);
void destroyGameWindow();
void handleWindowMessage(const WindowMessage& message);
void resizeViewport(int width, int height);

// One frame of the main loop while the window is active: the current screen
// with the window's mouse state, then the frame counter (the rate the next
// passes move by).
void drawGameFrame();

// The tear-down after the loop: the world's and the post-processing's GL
// objects while the context is still current, then the window.
void shutDownGame();

// The program entry: configuration, question, window, loop, tear-down.
// Returns the exit code of the quit message, or 0 when the window fails.
int runGame();
