// The whole contract between the game and the operating system. Engine code
// talks only to these functions; each backend folder (platform/sdl for Linux,
// platform/win32 for Windows) implements them for its platform. The terms are the game's
// own: Windows-style message boxes, virtual-key codes and window messages,
// whatever the backend underneath.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// On Windows the system's OpenGL header brings in the Windows headers, which
// define these names as macros of the same values; the game's own names win.
#ifdef _WIN32
#undef MB_OK
#undef MB_YESNO
#undef MB_ICONSTOP
#undef MB_ICONERROR
#undef MB_ICONQUESTION
#undef MB_ICONEXCLAMATION
#undef MB_ICONWARNING
#undef MB_ICONINFORMATION
#undef IDOK
#undef IDYES
#undef IDNO
#undef SC_SCREENSAVE
#undef SC_MONITORPOWER
#undef VK_RETURN
#undef VK_ESCAPE
#endif

// ---- Message boxes -------------------------------------------------------

// Buttons and icons, combined with '|' as in the Windows message box type.
enum MessageBoxFlags : unsigned {
    MB_OK = 0x00,
    MB_YESNO = 0x04,
    MB_ICONSTOP = 0x10,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};

// The answer of a box: which button was chosen.
enum MessageBoxAnswer : int { IDOK = 1, IDYES = 6, IDNO = 7 };

// Who owns a box: nobody, the game window, or the window with the keyboard focus.
enum class BoxOwner { None, GameWindow, FocusWindow };

// One box as the game asked for it. Text and caption are Windows-1250 bytes.
struct MessageBoxRequest {
    std::string text;
    std::string caption;
    unsigned type = MB_OK;
    BoxOwner owner = BoxOwner::None;
};

// Shows a modal box and returns the chosen button. Return picks the first
// button (OK, Yes), Escape the last (No, or OK in a one-button box). When no
// dialog can be shown the text goes to standard error and the first button is
// the answer.
int showMessageBox(const MessageBoxRequest& request);

// Convenience for the common call shape.
int showMessageBox(const std::string& text, const std::string& caption, unsigned type,
                   BoxOwner owner = BoxOwner::None);

// Tests install a responder: every box is handed to it instead of being shown,
// and its result is the answer. An empty function restores real dialogs.
using MessageBoxResponder = std::function<int(const MessageBoxRequest&)>;
void setMessageBoxResponder(MessageBoxResponder responder);

// ---- Window messages and the message pump --------------------------------

enum class WindowMessageKind {
    None,
    Quit,            // wParam: the exit code given to postQuitMessage
    Activate,        // wParam high word: nonzero while minimised
    SysCommand,      // wParam: SC_SCREENSAVE or SC_MONITORPOWER
    Close,
    Destroy,
    Size,            // lParam: width in the low word, height in the high word
    KeyDown,         // wParam: virtual-key code
    KeyUp,
    MouseMove,       // lParam: x in the low word, y in the high word (client area)
    LeftButtonDown,
    LeftButtonUp,
};

constexpr uint32_t SC_SCREENSAVE = 0xF140;
constexpr uint32_t SC_MONITORPOWER = 0xF170;

struct WindowMessage {
    WindowMessageKind kind = WindowMessageKind::None;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// Takes the next pending message without waiting; false when none is waiting.
// A posted quit is delivered once the queue holds nothing else.
bool peekMessage(WindowMessage& message);

// Asks the message loop to end with the given exit code at its next pass.
void postQuitMessage(int exitCode);

// Injects a message as if the window system had sent it (tests, timedemo).
void postWindowMessage(const WindowMessage& message);

// ---- Keyboard and mouse ---------------------------------------------------

// Windows virtual-key codes used by the game; letters are their capitals.
constexpr int VK_RETURN = 0x0D;
constexpr int VK_ESCAPE = 0x1B;

// The key's state as GetKeyState gives it: bit 0x80 set while the key is down.
// Letters follow the key positions of a US layout, so W, A, S, D stay where
// the fingers expect them on any layout.
short getKeyState(int virtualKey);

// Holds a key down (or releases it) as if it were pressed; tests and the
// timedemo drive the game through this.
void simulateKey(int virtualKey, bool down);

// Cursor position in screen coordinates.
void getCursorPos(int& x, int& y);
void setCursorPos(int x, int y);
void showCursor(bool show);

// Mouse look: while captured, cursor positions keep following the mouse even
// where the window system does not allow the pointer to be warped (Wayland);
// there the backend reports the relative motion as movement from the last
// position set, so the engine's arithmetic is the same everywhere.
void setMouseLookCapture(bool captured);

// ---- Display mode ---------------------------------------------------------

// Switches the display to the given full-screen mode; false when the display
// cannot show it.
bool changeDisplayMode(int width, int height, int bitsPerPixel);
// Returns to the desktop's own mode.
void restoreDisplayMode();

// ---- Window and OpenGL context -------------------------------------------
// The steps follow the classic window set-up so the engine decides on every
// message and retry: register, create, device context, pixel format, context.

struct PixelFormatRequest {
    int colorBits = 32;
    int alphaBits = 8;
    int depthBits = 24;
    int stencilBits = 8;
    bool doubleBuffer = true;
    int sampleBuffers = 0;
    int samples = 0;
};

bool registerWindowClass();
bool unregisterWindowClass();
// Creates the (still hidden) top-level window with a client area of the given
// size; fullscreenStyle asks for a borderless window over the switched mode.
bool createPlatformWindow(const char* title, int width, int height, bool fullscreenStyle);
bool destroyPlatformWindow();
bool acquireDeviceContext();
bool releaseDeviceContext();
// Returns a pixel-format index above 0, or 0 when none matches.
int choosePixelFormat(const PixelFormatRequest& request);
bool setPixelFormat(int format);
bool createRenderingContext();
bool deleteRenderingContext();
bool makeContextCurrent(bool current);
// The window-system extension string (WGL naming), or nullptr when the
// window system has no such query.
const char* windowSystemExtensions();
// Looks for a multisampled pixel format (needs a current context); returns
// its index, or 0 when the window system has none with these values.
int chooseMultisampleFormat(const PixelFormatRequest& request);
// Shows the window, brings it to the front and gives it the keyboard focus.
void showPlatformWindow();
void setWindowTitle(const char* title);
void swapBuffers();
// An OpenGL or window-system entry point by name, or nullptr.
void* getGlProcAddress(const char* name);

// ---- Time -----------------------------------------------------------------

// Milliseconds since an arbitrary start, wrapping like timeGetTime.
uint32_t getMilliseconds();

// ---- Text -----------------------------------------------------------------

// Windows-1250 bytes as UTF-8, for every text the window system shows.
std::string windows1250ToUtf8(const std::string& text);
