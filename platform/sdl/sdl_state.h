// The SDL2 backend's shared state: one record for everything the backend
// holds, and the helpers its files share.
#pragma once

#include <SDL.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/platform.h"

// Everything the backend holds, in one record.
struct SdlState {
    bool videoReady = false;             // the window "class": SDL's video subsystem
    SDL_Window* window = nullptr;        // the one top-level window
    bool deviceContext = false;          // no such thing in SDL; kept for the step order
    SDL_GLContext context = nullptr;     // the OpenGL rendering context
    PixelFormatRequest windowFormat;     // the attributes the window was made with
    std::vector<PixelFormatRequest> formats;  // pixel-format indices handed out, from 1
    std::string title;
    int width = 0;
    int height = 0;
    bool fullscreenStyle = false;
    bool fullscreenModeSet = false;      // a full-screen mode was accepted
    SDL_DisplayMode fullscreenMode = {};
    std::deque<WindowMessage> posted;    // messages injected or translated, in order
    bool quitPosted = false;
    int quitCode = 0;
    bool keyDown[256] = {};              // keys held through simulateKey
    bool mouseCaptured = false;          // mouse look running in relative mode
    int virtualCursorX = 0;              // cursor kept by the backend while captured
    int virtualCursorY = 0;
    MessageBoxResponder responder;
};

extern SdlState sdl;

// Starts SDL's video subsystem once; false when there is no display.
bool ensureVideo();
// The window system does not let clients move the pointer (Wayland).
bool warpingForbidden();
