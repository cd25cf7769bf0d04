// The SDL2 backend of the platform contract: window, OpenGL context, events,
// message boxes, cursor, display mode and timer for Linux.
#include "platform/platform.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <vector>

namespace {

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

SdlState sdl;

bool ensureVideo()
{
    if (sdl.videoReady)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0)
        return false;
    sdl.videoReady = true;
    return true;
}

// The window system does not let clients move the pointer (Wayland).
bool warpingForbidden()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "wayland") == 0;
}

void applyGlAttributes(const PixelFormatRequest& format)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    const int channel = format.colorBits >= 24 ? 8 : (format.colorBits >= 15 ? 5 : 0);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, format.alphaBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, format.stencilBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, format.doubleBuffer ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, format.sampleBuffers);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, format.samples);
}

bool sameFormat(const PixelFormatRequest& a, const PixelFormatRequest& b)
{
    return a.colorBits == b.colorBits && a.alphaBits == b.alphaBits && a.depthBits == b.depthBits &&
           a.stencilBits == b.stencilBits && a.doubleBuffer == b.doubleBuffer &&
           a.sampleBuffers == b.sampleBuffers && a.samples == b.samples;
}

// SDL picks the window's visual from the GL attributes when the window is
// made, so a window gets its pixel format by being made with it.
SDL_Window* makeSdlWindow(const PixelFormatRequest& format)
{
    applyGlAttributes(format);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!sdl.fullscreenStyle)
        flags |= SDL_WINDOW_RESIZABLE;
    SDL_Window* window = SDL_CreateWindow(windows1250ToUtf8(sdl.title).c_str(), 0, 0, sdl.width,
                                          sdl.height, flags);
    if (window && sdl.fullscreenStyle && sdl.fullscreenModeSet) {
        SDL_SetWindowDisplayMode(window, &sdl.fullscreenMode);
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
    }
    return window;
}

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

const char* iconWord(unsigned type)
{
    switch (type & 0xF0) {
    case MB_ICONSTOP: return "error";
    case MB_ICONQUESTION: return "question";
    case MB_ICONEXCLAMATION: return "warning";
    case MB_ICONINFORMATION: return "information";
    default: return "message";
    }
}

}  // namespace

// ---- Message boxes ------------------------------------------------------

void setMessageBoxResponder(MessageBoxResponder responder)
{
    sdl.responder = std::move(responder);
}

int showMessageBox(const std::string& text, const std::string& caption, unsigned type, BoxOwner owner)
{
    return showMessageBox(MessageBoxRequest{text, caption, type, owner});
}

int showMessageBox(const MessageBoxRequest& request)
{
    if (sdl.responder)
        return sdl.responder(request);

    const bool yesNo = (request.type & 0x0F) == MB_YESNO;
    const int firstAnswer = yesNo ? IDYES : IDOK;

    Uint32 flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    switch (request.type & 0xF0) {
    case MB_ICONSTOP: flags |= SDL_MESSAGEBOX_ERROR; break;
    case MB_ICONEXCLAMATION: flags |= SDL_MESSAGEBOX_WARNING; break;
    default: flags |= SDL_MESSAGEBOX_INFORMATION; break;
    }
    SDL_MessageBoxButtonData buttons[2];
    int buttonCount = 0;
    if (yesNo) {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
        buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
        buttonCount = 2;
    } else {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                      IDOK, "OK"};
        buttonCount = 1;
    }
    const std::string text = windows1250ToUtf8(request.text);
    const std::string caption = windows1250ToUtf8(request.caption);
    SDL_MessageBoxData data = {};
    data.flags = flags;
    // The box is not made a child of the game window: SDL's X11 dialog reads
    // through a null pointer when given a parent after the window has been
    // remade for multisampling. The owner only placed the box anyway.
    data.window = nullptr;
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = buttonCount;
    data.buttons = buttons;

    int answer = 0;
    if (SDL_ShowMessageBox(&data, &answer) == 0 && answer != -1)
        return answer;
    if (answer == -1)
        return buttons[buttonCount - 1].buttonid;  // closed without a choice: as Escape
    std::fprintf(stderr, "[%s] %s: %s\n", iconWord(request.type), caption.c_str(), text.c_str());
    return firstAnswer;
}

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

// ---- Display mode -------------------------------------------------------

bool changeDisplayMode(int width, int height, int bitsPerPixel)
{
    if (!ensureVideo() || width <= 0 || height <= 0)
        return false;
    // Only a mode the display lists with exactly this size counts, as a
    // mode switch that cannot be made exactly is refused.
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0)
            continue;
        if (mode.w == width && mode.h == height &&
            (bitsPerPixel <= 0 || static_cast<int>(SDL_BITSPERPIXEL(mode.format)) >= bitsPerPixel - 8)) {
            sdl.fullscreenMode = mode;
            sdl.fullscreenModeSet = true;
            return true;
        }
    }
    return false;
}

void restoreDisplayMode()
{
    if (sdl.window && sdl.fullscreenModeSet)
        SDL_SetWindowFullscreen(sdl.window, 0);
    sdl.fullscreenModeSet = false;
}

// ---- Window and context -------------------------------------------------

bool registerWindowClass()
{
    return ensureVideo();
}

bool unregisterWindowClass()
{
    return sdl.videoReady;
}

bool createPlatformWindow(const char* title, int width, int height, bool fullscreenStyle)
{
    if (!ensureVideo() || sdl.window)
        return false;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return false;
    sdl.title = title ? title : "";
    sdl.width = width;
    sdl.height = height;
    sdl.fullscreenStyle = fullscreenStyle;
    sdl.windowFormat = PixelFormatRequest{};
    sdl.window = makeSdlWindow(sdl.windowFormat);
    return sdl.window != nullptr;
}

bool destroyPlatformWindow()
{
    if (!sdl.window)
        return false;
    SDL_DestroyWindow(sdl.window);
    sdl.window = nullptr;
    return true;
}

bool acquireDeviceContext()
{
    sdl.deviceContext = sdl.window != nullptr;
    return sdl.deviceContext;
}

bool releaseDeviceContext()
{
    const bool had = sdl.deviceContext;
    sdl.deviceContext = false;
    return had;
}

// Like ChoosePixelFormat, any colour depth gets the nearest format there is:
// above 32 bits the 32-bit one, 0 or less whatever the display offers.
int choosePixelFormat(const PixelFormatRequest& request)
{
    if (!sdl.deviceContext)
        return 0;
    PixelFormatRequest nearest = request;
    nearest.colorBits = std::max(0, std::min(request.colorBits, 32));
    sdl.formats.push_back(nearest);
    return static_cast<int>(sdl.formats.size());
}

bool setPixelFormat(int format)
{
    if (!sdl.window || format <= 0 || format > static_cast<int>(sdl.formats.size()))
        return false;
    const PixelFormatRequest& request = sdl.formats[format - 1];
    if (sameFormat(request, sdl.windowFormat))
        return true;
    // Remake the window with the format's visual.
    SDL_Window* window = makeSdlWindow(request);
    if (!window)
        return false;
    SDL_DestroyWindow(sdl.window);
    sdl.window = window;
    sdl.windowFormat = request;
    return true;
}

bool createRenderingContext()
{
    if (!sdl.window || sdl.context)
        return false;
    applyGlAttributes(sdl.windowFormat);
    sdl.context = SDL_GL_CreateContext(sdl.window);
    if (sdl.context)
        SDL_GL_SetSwapInterval(0);
    return sdl.context != nullptr;
}

bool deleteRenderingContext()
{
    if (!sdl.context)
        return false;
    SDL_GL_DeleteContext(sdl.context);
    sdl.context = nullptr;
    return true;
}

bool makeContextCurrent(bool current)
{
    if (!current)
        return SDL_GL_MakeCurrent(sdl.window, nullptr) == 0;
    if (!sdl.window || !sdl.context)
        return false;
    return SDL_GL_MakeCurrent(sdl.window, sdl.context) == 0;
}

const char* windowSystemExtensions()
{
    // GLX offers multisampled visuals exactly when the context offers
    // multisampling; report it under the name the engine looks for.
    if (!sdl.context)
        return nullptr;
    if (SDL_GL_ExtensionSupported("GL_ARB_multisample"))
        return "WGL_ARB_extensions_string WGL_ARB_pixel_format WGL_ARB_multisample";
    return "WGL_ARB_extensions_string WGL_ARB_pixel_format";
}

int chooseMultisampleFormat(const PixelFormatRequest& request)
{
    if (!sdl.window || !sdl.context || request.samples < 1)
        return 0;
    // Try the format on a hidden scratch window: it exists when SDL finds a
    // visual and the context it makes really has sample buffers.
    applyGlAttributes(request);
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    int found = 0;
    if (probe) {
        SDL_GLContext context = SDL_GL_CreateContext(probe);
        if (context) {
            int buffers = 0;
            int samples = 0;
            SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers);
            SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &samples);
            // GLX hands out the smallest multisampled visual with at least
            // the requested count, as WGL_SAMPLES_ARB does; remember the
            // count it really has.
            if (buffers >= 1 && samples >= request.samples) {
                PixelFormatRequest granted = request;
                granted.samples = samples;
                sdl.formats.push_back(granted);
                found = static_cast<int>(sdl.formats.size());
            }
            SDL_GL_DeleteContext(context);
        }
        SDL_DestroyWindow(probe);
    }
    applyGlAttributes(sdl.windowFormat);
    SDL_GL_MakeCurrent(sdl.window, sdl.context);
    return found;
}

void showPlatformWindow()
{
    if (!sdl.window)
        return;
    SDL_ShowWindow(sdl.window);
    SDL_RaiseWindow(sdl.window);
}

void setWindowTitle(const char* title)
{
    if (sdl.window && title)
        SDL_SetWindowTitle(sdl.window, windows1250ToUtf8(title).c_str());
}

void swapBuffers()
{
    if (sdl.window)
        SDL_GL_SwapWindow(sdl.window);
}

void* getGlProcAddress(const char* name)
{
    if (!sdl.videoReady || !name)
        return nullptr;
    return SDL_GL_GetProcAddress(name);
}

// ---- Time ---------------------------------------------------------------

uint32_t getMilliseconds()
{
    ensureVideo();
    return SDL_GetTicks();
}
