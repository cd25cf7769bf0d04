// The native Windows backend of the platform contract: Win32 window and
// message loop, GDI pixel formats and buffer swap, WGL contexts, message
// boxes, cursor, display mode and the multimedia timer.
#include "platform/platform.h"
#include "platform/win32/text_win32.h"

// platform.h names the few Windows constants the game uses with the values
// the system headers give them as macros, so both can stand side by side.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <deque>
#include <string>

namespace {

// WGL_ARB_pixel_format and WGL_ARB_multisample names, as their
// specifications define them.
constexpr int WGL_DRAW_TO_WINDOW_ARB = 0x2001;
constexpr int WGL_ACCELERATION_ARB = 0x2003;
constexpr int WGL_SUPPORT_OPENGL_ARB = 0x2010;
constexpr int WGL_DOUBLE_BUFFER_ARB = 0x2011;
constexpr int WGL_COLOR_BITS_ARB = 0x2014;
constexpr int WGL_ALPHA_BITS_ARB = 0x201B;
constexpr int WGL_DEPTH_BITS_ARB = 0x2022;
constexpr int WGL_STENCIL_BITS_ARB = 0x2023;
constexpr int WGL_FULL_ACCELERATION_ARB = 0x2027;
constexpr int WGL_SAMPLE_BUFFERS_ARB = 0x2041;
constexpr int WGL_SAMPLES_ARB = 0x2042;

using ChoosePixelFormatArb = BOOL(WINAPI*)(HDC, const int*, const FLOAT*, UINT, int*, UINT*);
using GetExtensionsStringArb = const char*(WINAPI*)(HDC);

const char* const className = "OpenGL";
constexpr int iconResource = 101;

// Everything the backend holds, in one record.
struct Win32State {
    HINSTANCE instance = nullptr;
    bool classRegistered = false;
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC context = nullptr;
    PIXELFORMATDESCRIPTOR descriptor = {};  // the last one asked for
    bool modeSwitched = false;
    std::deque<WindowMessage> posted;       // injected or translated, in order
    bool keyDown[256] = {};                 // keys held through simulateKey
    int cursorX = 0;                        // the cursor as last set, kept for
    int cursorY = 0;                        // a program without a window yet
    MessageBoxResponder responder;
};

Win32State win;

// The window procedure: every message the game handles becomes a record
// for the engine's pump; the answers are the classic ones.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto post = [](WindowMessageKind kind, WPARAM w, LPARAM l) {
        win.posted.push_back({kind, static_cast<uintptr_t>(w), static_cast<intptr_t>(l)});
    };
    switch (message) {
    case WM_ACTIVATE:
        post(WindowMessageKind::Activate, wParam, lParam);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_SCREENSAVE:
        case SC_MONITORPOWER:
            post(WindowMessageKind::SysCommand, wParam & 0xFFF0, 0);
            return 0;
        default:
            break;
        }
        break;
    case WM_CLOSE:
        post(WindowMessageKind::Close, 0, 0);
        return 0;
    case WM_DESTROY:
        return 0;
    case WM_SIZE:
        post(WindowMessageKind::Size, wParam, lParam);
        return 0;
    case WM_KEYDOWN:
        post(WindowMessageKind::KeyDown, wParam, lParam);
        return 0;
    case WM_KEYUP:
        post(WindowMessageKind::KeyUp, wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
        post(WindowMessageKind::MouseMove, wParam, lParam);
        break;
    case WM_LBUTTONDOWN:
        post(WindowMessageKind::LeftButtonDown, wParam, lParam);
        break;
    case WM_LBUTTONUP:
        post(WindowMessageKind::LeftButtonUp, wParam, lParam);
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The key a letter has on a US keyboard, on whatever layout is active:
// scan codes of set 1 in alphabetical order.
int layoutKeyForLetter(int letter)
{
    static const unsigned char scanCodes[26] = {
        0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
        0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    const UINT key = MapVirtualKeyA(scanCodes[letter - 'A'], MAPVK_VSC_TO_VK);
    return key != 0 ? static_cast<int>(key) : letter;
}

}  // namespace

// ---- Message boxes ------------------------------------------------------

// Windows-1250 bytes as UTF-16, whatever the system's own code page.
std::wstring wideFromWindows1250(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int length = static_cast<int>(text.size());
    int count = MultiByteToWideChar(1250, 0, text.data(), length, nullptr, 0);
    if (count > 0) {
        std::wstring wide(static_cast<size_t>(count), L'\0');
        MultiByteToWideChar(1250, 0, text.data(), length, &wide[0], count);
        return wide;
    }
    // A system without that code page table: go through our own one.
    const std::string utf8 = windows1250ToUtf8(text);
    count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (count <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], count);
    return wide;
}


void setMessageBoxResponder(MessageBoxResponder responder)
{
    win.responder = std::move(responder);
}

int showMessageBox(const std::string& text, const std::string& caption, unsigned type, BoxOwner owner)
{
    return showMessageBox(MessageBoxRequest{text, caption, type, owner});
}

int showMessageBox(const MessageBoxRequest& request)
{
    if (win.responder)
        return win.responder(request);
    HWND owner = nullptr;
    if (request.owner == BoxOwner::GameWindow)
        owner = win.window;
    else if (request.owner == BoxOwner::FocusWindow)
        owner = GetFocus();
    const int answer = MessageBoxW(owner, wideFromWindows1250(request.text).c_str(),
                                   wideFromWindows1250(request.caption).c_str(), request.type);
    if (answer == IDYES || answer == IDNO || answer == IDOK)
        return answer;
    const bool yesNo = (request.type & 0x0F) == MB_YESNO;
    if (answer != 0)
        return yesNo ? IDNO : IDOK;  // closed without a choice: as Escape
    std::fprintf(stderr, "%s: %s\n", windows1250ToUtf8(request.caption).c_str(),
                 windows1250ToUtf8(request.text).c_str());
    return yesNo ? IDYES : IDOK;
}

// ---- Message pump -------------------------------------------------------

bool peekMessage(WindowMessage& message)
{
    for (;;) {
        if (!win.posted.empty()) {
            message = win.posted.front();
            win.posted.pop_front();
            return true;
        }
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            return false;
        if (msg.message == WM_QUIT) {
            message = {WindowMessageKind::Quit, static_cast<uintptr_t>(msg.wParam), 0};
            return true;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void postQuitMessage(int exitCode)
{
    PostQuitMessage(exitCode);
}

void postWindowMessage(const WindowMessage& message)
{
    win.posted.push_back(message);
}

// ---- Keyboard and mouse -------------------------------------------------

short getKeyState(int virtualKey)
{
    if (virtualKey < 0 || virtualKey >= 256)
        return 0;
    if (win.keyDown[virtualKey])
        return static_cast<short>(0xFF80);
    const int key = virtualKey >= 'A' && virtualKey <= 'Z' ? layoutKeyForLetter(virtualKey) : virtualKey;
    return GetKeyState(key);
}

void simulateKey(int virtualKey, bool down)
{
    if (virtualKey >= 0 && virtualKey < 256)
        win.keyDown[virtualKey] = down;
}

void getCursorPos(int& x, int& y)
{
    // Before the game has a window the cursor is the one it set, as with
    // the other backend (the tests drive the mouse look this way).
    POINT point = {win.cursorX, win.cursorY};
    if (win.classRegistered)
        GetCursorPos(&point);
    x = point.x;
    y = point.y;
}

void setCursorPos(int x, int y)
{
    win.cursorX = x;
    win.cursorY = y;
    if (win.classRegistered)
        SetCursorPos(x, y);
}

void showCursor(bool show)
{
    // ShowCursor keeps a count; turn it until the cursor is as asked.
    if (show) {
        for (int i = 0; i < 64 && ShowCursor(TRUE) < 0; ++i) {
        }
    } else {
        for (int i = 0; i < 64 && ShowCursor(FALSE) >= 0; ++i) {
        }
    }
}

void setMouseLookCapture(bool /*captured*/)
{
    // Windows lets the game put the cursor back itself.
}

// ---- Display mode -------------------------------------------------------

bool changeDisplayMode(int width, int height, int bitsPerPixel)
{
    if (width <= 0 || height <= 0)
        return false;
    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    // A depth of 0 or less keeps the display's own.
    if (bitsPerPixel > 0) {
        mode.dmBitsPerPel = static_cast<DWORD>(bitsPerPixel);
        mode.dmFields |= DM_BITSPERPEL;
    }
    if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL)
        return false;
    win.modeSwitched = true;
    return true;
}

void restoreDisplayMode()
{
    if (win.modeSwitched)
        ChangeDisplaySettingsA(nullptr, 0);
    win.modeSwitched = false;
}

// ---- Window and context -------------------------------------------------

bool registerWindowClass()
{
    if (win.classRegistered)
        return true;
    win.instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = win.instance;
    windowClass.hIcon = LoadIconA(win.instance, MAKEINTRESOURCEA(iconResource));
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = className;
    win.classRegistered = RegisterClassA(&windowClass) != 0;
    return win.classRegistered;
}

bool unregisterWindowClass()
{
    if (!win.classRegistered)
        return false;
    win.classRegistered = false;
    const bool done = UnregisterClassA(className, win.instance) != 0;
    win.instance = nullptr;
    return done;
}

bool createPlatformWindow(const char* title, int width, int height, bool fullscreenStyle)
{
    if (!win.classRegistered || win.window)
        return false;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return false;
    const DWORD exStyle = fullscreenStyle ? WS_EX_APPWINDOW : WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    const DWORD style = fullscreenStyle ? WS_POPUP : WS_OVERLAPPEDWINDOW;
    RECT rect = {0, 0, width, height};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    win.window = CreateWindowExA(exStyle, className, title ? title : "",
                                 style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, rect.right - rect.left,
                                 rect.bottom - rect.top, nullptr, nullptr, win.instance, nullptr);
    return win.window != nullptr;
}

bool destroyPlatformWindow()
{
    if (!win.window)
        return false;
    const bool done = DestroyWindow(win.window) != 0;
    win.window = nullptr;
    return done;
}

bool acquireDeviceContext()
{
    if (!win.window)
        return false;
    win.deviceContext = GetDC(win.window);
    return win.deviceContext != nullptr;
}

bool releaseDeviceContext()
{
    if (!win.deviceContext)
        return false;
    const bool done = win.window == nullptr || ReleaseDC(win.window, win.deviceContext) != 0;
    win.deviceContext = nullptr;
    return done;
}

// Any colour depth gets the nearest format there is: above 32 bits the
// 32-bit one, 0 or less the display's own depth.
int choosePixelFormat(const PixelFormatRequest& request)
{
    if (!win.deviceContext)
        return 0;
    int colorBits = request.colorBits > 32 ? 32 : request.colorBits;
    if (colorBits <= 0)
        colorBits = GetDeviceCaps(win.deviceContext, BITSPIXEL);
    if (colorBits <= 0 || colorBits > 32)
        colorBits = 32;
    PIXELFORMATDESCRIPTOR& pfd = win.descriptor;
    pfd = PIXELFORMATDESCRIPTOR{};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (request.doubleBuffer ? PFD_DOUBLEBUFFER : 0);
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = static_cast<BYTE>(colorBits);
    pfd.cAlphaBits = static_cast<BYTE>(request.alphaBits);
    pfd.cDepthBits = static_cast<BYTE>(request.depthBits);
    pfd.cStencilBits = static_cast<BYTE>(request.stencilBits);
    pfd.iLayerType = PFD_MAIN_PLANE;
    return ChoosePixelFormat(win.deviceContext, &pfd);
}

bool setPixelFormat(int format)
{
    if (!win.deviceContext || format <= 0)
        return false;
    return SetPixelFormat(win.deviceContext, format, &win.descriptor) != 0;
}

bool createRenderingContext()
{
    if (!win.deviceContext || win.context)
        return false;
    win.context = wglCreateContext(win.deviceContext);
    return win.context != nullptr;
}

bool deleteRenderingContext()
{
    if (!win.context)
        return false;
    const bool done = wglDeleteContext(win.context) != 0;
    win.context = nullptr;
    return done;
}

bool makeContextCurrent(bool current)
{
    if (!current)
        return wglMakeCurrent(nullptr, nullptr) != 0;
    if (!win.deviceContext || !win.context)
        return false;
    return wglMakeCurrent(win.deviceContext, win.context) != 0;
}

const char* windowSystemExtensions()
{
    const auto query =
        reinterpret_cast<GetExtensionsStringArb>(getGlProcAddress("wglGetExtensionsStringARB"));
    if (!query)
        return nullptr;
    return query(wglGetCurrentDC());
}

int chooseMultisampleFormat(const PixelFormatRequest& request)
{
    const auto choose =
        reinterpret_cast<ChoosePixelFormatArb>(getGlProcAddress("wglChoosePixelFormatARB"));
    if (!choose || !win.deviceContext || request.samples < 1)
        return 0;
    const int attributes[] = {WGL_DRAW_TO_WINDOW_ARB, 1,
                              WGL_SUPPORT_OPENGL_ARB, 1,
                              WGL_ACCELERATION_ARB, WGL_FULL_ACCELERATION_ARB,
                              WGL_COLOR_BITS_ARB, request.colorBits,
                              WGL_ALPHA_BITS_ARB, request.alphaBits,
                              WGL_DEPTH_BITS_ARB, request.depthBits,
                              WGL_STENCIL_BITS_ARB, request.stencilBits,
                              WGL_DOUBLE_BUFFER_ARB, request.doubleBuffer ? 1 : 0,
                              WGL_SAMPLE_BUFFERS_ARB, request.sampleBuffers,
                              WGL_SAMPLES_ARB, request.samples,
                              0, 0};
    const FLOAT floatAttributes[] = {0, 0};
    int format = 0;
    UINT found = 0;
    if (!choose(win.deviceContext, attributes, floatAttributes, 1, &format, &found) || found < 1)
        return 0;
    // The format is set by index alone; describe it for SetPixelFormat.
    DescribePixelFormat(win.deviceContext, format, sizeof(win.descriptor), &win.descriptor);
    return format;
}

void showPlatformWindow()
{
    if (!win.window)
        return;
    ShowWindow(win.window, SW_SHOW);
    SetForegroundWindow(win.window);
    SetFocus(win.window);
}

void setWindowTitle(const char* title)
{
    if (win.window && title)
        SetWindowTextA(win.window, title);
}

void swapBuffers()
{
    if (win.deviceContext)
        SwapBuffers(win.deviceContext);
}

void* getGlProcAddress(const char* name)
{
    if (!name)
        return nullptr;
    PROC found = wglGetProcAddress(name);
    // Some drivers answer small numbers instead of null for what they lack.
    const intptr_t value = reinterpret_cast<intptr_t>(found);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) {
        // OpenGL 1.1 functions come from the system library itself.
        HMODULE library = GetModuleHandleA("opengl32.dll");
        found = library ? GetProcAddress(library, name) : nullptr;
    }
    return reinterpret_cast<void*>(found);
}

// ---- Time ---------------------------------------------------------------

uint32_t getMilliseconds()
{
    return timeGetTime();
}
