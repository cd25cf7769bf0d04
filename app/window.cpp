#include "app/window.h"

#include <cstdio>
#include <cstring>

#include "app/config.h"
#include "app/input.h"
#include "app/startup.h"
#include "core/text.h"
#include "render/opengl.h"
#include "render/overlay.h"
#include "render/postprocess.h"
#include "ui/screens.h"
#include "world/scenepass.h"
#include "world/world.h"

WindowState windowState;

const char* const gameTitle = "Plemox Fluid Engine";

namespace {

// The 3D projection: vertical field of view, and the near (a single-precision
// value) and far planes.
constexpr double fieldOfViewDegrees = 45.0;
constexpr float nearPlane = 0.1f;
constexpr double farPlane = 25000.0;

FrameCounter frameCounter;

void creationError(const char* text)
{
    showMessageBox(text, "ERROR", MB_OK | MB_ICONEXCLAMATION);
}

void shutdownError(const char* text)
{
    showMessageBox(text, "SHUTDOWN ERROR", MB_OK | MB_ICONINFORMATION);
}

PixelFormatRequest plainPixelFormat(int bits)
{
    PixelFormatRequest format;
    format.colorBits = bits;
    format.alphaBits = 8;
    format.depthBits = 24;
    format.stencilBits = 8;
    format.doubleBuffer = true;
    return format;
}

PixelFormatRequest multisamplePixelFormat(int samples)
{
    PixelFormatRequest format;
    format.colorBits = 24;
    format.alphaBits = 8;
    format.depthBits = 16;
    format.stencilBits = 8;
    format.doubleBuffer = true;
    format.sampleBuffers = 1;
    format.samples = samples;
    return format;
}

uint16_t lowWord(uintptr_t value)
{
    return static_cast<uint16_t>(value & 0xFFFF);
}

uint16_t highWord(uintptr_t value)
{
    return static_cast<uint16_t>((value >> 16) & 0xFFFF);
}

}  // namespace

bool countFrame(FrameCounter& counter, float now)
{
    counter.frameCount += 1.0f;
    if (!counter.reported || now - counter.lastReportTime > 1.0f) {
        counter.reported = true;
        counter.lastReportTime = now;
        counter.lastReport = counter.frameCount;
        counter.frameCount = 1.0f;
        return true;
    }
    return false;
}

float updateFrameCounter()
{
    const float now = static_cast<float>(getMilliseconds()) * 0.001f;
    if (countFrame(frameCounter, now)) {
        char title[64];
        std::snprintf(title, sizeof title, "FPS = %d", static_cast<int>(frameCounter.lastReport));
        setWindowTitle(title);
    }
    return frameCounter.lastReport;
}

bool hasWglExtension(const char* name)
{
    const char* list = windowSystemExtensions();
    if (!list)
        list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensionListed(list, name);
}

bool setupMultisampleFormat()
{
    // The backend's format search stands for wglChoosePixelFormatARB.
    if (!hasWglExtension("WGL_ARB_multisample")) {
        windowState.multisampleSupported = false;
        return false;
    }
    // A count of 1 (or less) asks for no multisampling: the first window stays.
    const int samples = readMultisampleSetting();
    if (samples <= 1)
        return windowState.multisampleSupported;
    // The smallest format with at least the count; when the driver has none,
    // the retries halve the count, the last one (1) taking any multisampled
    // format, so the user gets the most samples the driver offers below it.
    int format = 0;
    for (int tried = samples; format < 1 && tried >= 1; tried /= 2)
        format = chooseMultisampleFormat(multisamplePixelFormat(tried));
    if (format >= 1) {
        windowState.multisampleFormat = format;
        windowState.multisampleSupported = true;
        return true;
    }
    return windowState.multisampleSupported;
}

void resizeViewport(int width, int height)
{
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfViewDegrees, static_cast<double>(width) / static_cast<double>(height),
                   static_cast<double>(nearPlane), farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void destroyGameWindow()
{
    if (windowState.fullscreen) {
        restoreDisplayMode();
        showCursor(true);
    }
    if (windowState.renderingContext) {
        if (!makeContextCurrent(false))
            shutdownError("Release Of DC And RC Failed.");
        if (!deleteRenderingContext())
            shutdownError("Release Rendering Context Failed.");
        windowState.renderingContext = false;
    }
    if (windowState.deviceContext) {
        if (!releaseDeviceContext())
            shutdownError("Release Device Context Failed.");
        windowState.deviceContext = false;
    }
    if (windowState.windowCreated) {
        if (!destroyPlatformWindow())
            shutdownError("Could Not Release hWnd.");
        windowState.windowCreated = false;
    }
    if (windowState.classRegistered) {
        if (!unregisterWindowClass())
            shutdownError("Could Not Unregister Class.");
        windowState.classRegistered = false;
    }
}

bool createGameWindow(const char* title, int width, int height, int bits, bool fullscreenFlag)
{
    config.windowWidth = width;
    config.windowHeight = height;
    overlayArea.width = width;
    overlayArea.height = height;
    windowState.fullscreen = fullscreenFlag;

    if (!registerWindowClass()) {
        creationError("Failed To Register The Window Class.");
        return false;
    }
    windowState.classRegistered = true;

    if (windowState.fullscreen && !changeDisplayMode(width, height, bits)) {
        const int answer = showMessageBox(
            "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?",
            "Drun GL", MB_YESNO | MB_ICONEXCLAMATION);
        if (answer == IDYES) {
            windowState.fullscreen = false;
        } else {
            showMessageBox("Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP);
            return false;
        }
    }
    if (windowState.fullscreen)
        showCursor(false);

    if (!createPlatformWindow(title, width, height, windowState.fullscreen)) {
        destroyGameWindow();
        creationError("Window Creation Error.");
        return false;
    }
    windowState.windowCreated = true;

    if (!acquireDeviceContext()) {
        destroyGameWindow();
        creationError("Can't Create A GL Device Context.");
        return false;
    }
    windowState.deviceContext = true;

    int format = windowState.multisampleFormat;
    if (!windowState.multisampleSupported) {
        format = choosePixelFormat(plainPixelFormat(bits));
        if (format == 0) {
            // No format at all (any colour depth gets the nearest one): the
            // player is told, rather than the program just ending.
            releaseDeviceContext();
            windowState.deviceContext = false;
            destroyPlatformWindow();
            windowState.windowCreated = false;
            creationError("Can't Find A Suitable PixelFormat.");
            return false;
        }
    }
    if (!setPixelFormat(format)) {
        destroyGameWindow();
        creationError("Can't Set The PixelFormat.");
        return false;
    }
    if (!createRenderingContext()) {
        destroyGameWindow();
        creationError("Can't Create A GL Rendering Context.");
        return false;
    }
    windowState.renderingContext = true;
    if (!makeContextCurrent(true)) {
        destroyGameWindow();
        creationError("Can't Activate The GL Rendering Context.");
        return false;
    }

    if (!windowState.multisampleSupported && setupMultisampleFormat()) {
        destroyGameWindow();
        return createGameWindow(gameTitle, config.windowWidth, config.windowHeight, config.bitsPerPixel,
                                windowState.fullscreen);
    }

    showPlatformWindow();
    resizeViewport(width, height);
    startUpEngine();
    return true;
}

void handleWindowMessage(const WindowMessage& message)
{
    switch (message.kind) {
    case WindowMessageKind::Activate:
        windowState.windowActive = highWord(message.wParam) == 0;
        break;
    case WindowMessageKind::Close:
        postQuitMessage(0);
        break;
    case WindowMessageKind::Size:
        resizeViewport(lowWord(static_cast<uintptr_t>(message.lParam)),
                       highWord(static_cast<uintptr_t>(message.lParam)));
        break;
    case WindowMessageKind::MouseMove:
        windowState.mouseX = static_cast<float>(lowWord(static_cast<uintptr_t>(message.lParam)));
        windowState.mouseY = static_cast<float>(highWord(static_cast<uintptr_t>(message.lParam)));
        break;
    case WindowMessageKind::LeftButtonDown:
        windowState.leftButtonDown = true;
        break;
    case WindowMessageKind::LeftButtonUp:
        windowState.leftButtonDown = false;
        break;
    default:
        // Screen saver and monitor power-down commands, key messages and the
        // rest need nothing: keys are polled each pass.
        break;
    }
}

void drawGameFrame()
{
    drawFrame(MouseState{windowState.mouseX, windowState.mouseY, windowState.leftButtonDown});
    windowState.frameRate = updateFrameCounter();
}

int runGame()
{
    loadEngineConfig();
    const int answer = showMessageBox("EN - Would you like fullscreen mode? CZ - Spustit fullscreen mod?",
                                      "Information", MB_YESNO | MB_ICONQUESTION);
    windowState.fullscreen = answer == IDYES;

    if (!createGameWindow(gameTitle, config.windowWidth, config.windowHeight, config.bitsPerPixel,
                          windowState.fullscreen))
        return 0;
    showCursor(true);

    int exitCode = 0;
    for (;;) {
        WindowMessage message;
        if (peekMessage(message)) {
            if (message.kind == WindowMessageKind::Quit) {
                exitCode = static_cast<int>(message.wParam);
                break;
            }
            handleWindowMessage(message);
        } else {
            if (windowState.windowActive) {
                drawGameFrame();
                swapBuffers();
            }
            processInput();
        }
    }
    shutDownGame();
    return exitCode;
}

void shutDownGame()
{
    releaseWorld(world);
    releaseScenePass();
    releasePostProcessing();
    destroyGameWindow();
}
