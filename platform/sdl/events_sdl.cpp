// The SDL2 backend: SDL events turned into the game's window messages, the
// message pump, key polling by virtual-key code and the cursor.
#include "platform/sdl/sdl_state.h"

#include <algorithm>
#include <cstring>

namespace {

uintptr_t packWords(int low, int high)
{
    return (static_cast<uintptr_t>(static_cast<uint16_t>(low)) |
            (static_cast<uintptr_t>(static_cast<uint16_t>(high)) << 16));
}

SDL_Scancode scancodeForKey(int virtualKey)
{
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return static_cast<SDL_Scancode>(SDL_SCANCODE_A + (virtualKey - 'A'));
    if (virtualKey >= '1' && virtualKey <= '9')
        return static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (virtualKey - '1'));
    switch (virtualKey) {
    case '0': return SDL_SCANCODE_0;
    case VK_RETURN: return SDL_SCANCODE_RETURN;
    case VK_ESCAPE: return SDL_SCANCODE_ESCAPE;
    case ' ': return SDL_SCANCODE_SPACE;
    default: return SDL_SCANCODE_UNKNOWN;
    }
}

int virtualKeyForScancode(SDL_Scancode code)
{
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z)
        return 'A' + (code - SDL_SCANCODE_A);
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9)
        return '1' + (code - SDL_SCANCODE_1);
    switch (code) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_SPACE: return ' ';
    default: return 0;
    }
}

// Turns one SDL event into the window message the game expects, if any.
bool translateEvent(const SDL_Event& event, WindowMessage& message)
{
    switch (event.type) {
    case SDL_QUIT:
        message = {WindowMessageKind::Close, 0, 0};
        return true;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            message = {WindowMessageKind::Close, 0, 0};
            return true;
        case SDL_WINDOWEVENT_MINIMIZED:
            message = {WindowMessageKind::Activate, packWords(0, 1), 0};
            return true;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            message = {WindowMessageKind::Activate, packWords(1, 0), 0};
            return true;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            message = {WindowMessageKind::Size, 0,
                       static_cast<intptr_t>(packWords(event.window.data1, event.window.data2))};
            return true;
        default:
            return false;
        }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const int key = virtualKeyForScancode(event.key.keysym.scancode);
        message = {event.type == SDL_KEYDOWN ? WindowMessageKind::KeyDown : WindowMessageKind::KeyUp,
                   static_cast<uintptr_t>(key), 0};
        return true;
    }
    case SDL_MOUSEMOTION:
        if (sdl.mouseCaptured && warpingForbidden()) {
            sdl.virtualCursorX += event.motion.xrel;
            sdl.virtualCursorY += event.motion.yrel;
        }
        message = {WindowMessageKind::MouseMove, 0,
                   static_cast<intptr_t>(packWords(event.motion.x, event.motion.y))};
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (event.button.button != SDL_BUTTON_LEFT)
            return false;
        message = {event.type == SDL_MOUSEBUTTONDOWN ? WindowMessageKind::LeftButtonDown
                                                     : WindowMessageKind::LeftButtonUp,
                   0, static_cast<intptr_t>(packWords(event.button.x, event.button.y))};
        return true;
    default:
        return false;
    }
}

}  // namespace

// ---- Message pump -------------------------------------------------------

bool peekMessage(WindowMessage& message)
{
    if (!sdl.posted.empty()) {
        message = sdl.posted.front();
        sdl.posted.pop_front();
        return true;
    }
    if (sdl.videoReady) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (translateEvent(event, message))
                return true;
        }
    }
    if (sdl.quitPosted) {
        sdl.quitPosted = false;
        message = {WindowMessageKind::Quit, static_cast<uintptr_t>(sdl.quitCode), 0};
        return true;
    }
    return false;
}

void postQuitMessage(int exitCode)
{
    sdl.quitPosted = true;
    sdl.quitCode = exitCode;
}

void postWindowMessage(const WindowMessage& message)
{
    sdl.posted.push_back(message);
}

// ---- Keyboard and mouse -------------------------------------------------

short getKeyState(int virtualKey)
{
    if (virtualKey >= 0 && virtualKey < 256 && sdl.keyDown[virtualKey])
        return static_cast<short>(0xFF80);
    if (!sdl.videoReady)
        return 0;
    const SDL_Scancode code = scancodeForKey(virtualKey);
    if (code == SDL_SCANCODE_UNKNOWN)
        return 0;
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    if (code < count && keys[code])
        return static_cast<short>(0xFF80);
    if (virtualKey == VK_RETURN && SDL_SCANCODE_KP_ENTER < count && keys[SDL_SCANCODE_KP_ENTER])
        return static_cast<short>(0xFF80);
    return 0;
}

void simulateKey(int virtualKey, bool down)
{
    if (virtualKey >= 0 && virtualKey < 256)
        sdl.keyDown[virtualKey] = down;
}

void getCursorPos(int& x, int& y)
{
    if (sdl.mouseCaptured && warpingForbidden()) {
        x = sdl.virtualCursorX;
        y = sdl.virtualCursorY;
        return;
    }
    if (!sdl.videoReady) {
        x = sdl.virtualCursorX;
        y = sdl.virtualCursorY;
        return;
    }
    SDL_GetGlobalMouseState(&x, &y);
}

void setCursorPos(int x, int y)
{
    sdl.virtualCursorX = x;
    sdl.virtualCursorY = y;
    if (!sdl.videoReady || (sdl.mouseCaptured && warpingForbidden()))
        return;
    SDL_WarpMouseGlobal(x, y);
}

void showCursor(bool show)
{
    if (sdl.videoReady)
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void setMouseLookCapture(bool captured)
{
    if (captured == sdl.mouseCaptured)
        return;
    sdl.mouseCaptured = captured;
    if (sdl.videoReady && warpingForbidden())
        SDL_SetRelativeMouseMode(captured ? SDL_TRUE : SDL_FALSE);
}

