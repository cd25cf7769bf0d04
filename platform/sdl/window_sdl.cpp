// The SDL2 backend: display mode, window and OpenGL context, buffer swap,
// entry-point lookup and the millisecond clock.
#include "platform/sdl/sdl_state.h"

#include <algorithm>
#include <cstring>

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

bool warpingForbidden()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "wayland") == 0;
}

namespace {

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

}  // namespace

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
