// The Win32 backends, run under Wine on the test display: the window
// procedure's messages as the engine sees them, the quit message, keys, the
// Windows-1250 box texts, the WGL context and the sound layer without a
// device.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32/text_win32.h"
#include "render/opengl.h"
#include "sound/sound.h"
#include "tests/support/test_support.h"

#include <windows.h>
#include <mmsystem.h>

namespace {

std::vector<WindowMessage> drain()
{
    std::vector<WindowMessage> out;
    WindowMessage message;
    while (peekMessage(message))
        out.push_back(message);
    return out;
}

bool holds(const std::vector<WindowMessage>& messages, WindowMessageKind kind, uintptr_t w, intptr_t l)
{
    for (const WindowMessage& m : messages)
        if (m.kind == kind && m.wParam == w && m.lParam == l)
            return true;
    return false;
}

}  // namespace

TEST(Win32Platform, WindowProcedureAndQuit)
{
    ASSERT_TRUE(ensureGlContext(320, 240));
    HWND window = FindWindowA("OpenGL", "test");
    ASSERT_NE(window, nullptr);
    drain();

    // The screen saver and monitor power-down are refused, other commands not.
    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_MONITORPOWER | 2, 2), 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(17, 300));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0);
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 0));
    const std::vector<WindowMessage> got = drain();
    EXPECT_TRUE(holds(got, WindowMessageKind::SysCommand, SC_SCREENSAVE, 0));
    EXPECT_TRUE(holds(got, WindowMessageKind::SysCommand, SC_MONITORPOWER, 0));
    EXPECT_TRUE(holds(got, WindowMessageKind::Close, 0, 0));
    EXPECT_TRUE(holds(got, WindowMessageKind::MouseMove, 0, MAKELPARAM(17, 300)));
    EXPECT_TRUE(holds(got, WindowMessageKind::LeftButtonDown, MK_LBUTTON, MAKELPARAM(5, 6)));
    EXPECT_TRUE(holds(got, WindowMessageKind::LeftButtonUp, 0, MAKELPARAM(5, 6)));
    EXPECT_TRUE(holds(got, WindowMessageKind::Activate, MAKEWPARAM(WA_ACTIVE, 1), 0));
    EXPECT_TRUE(holds(got, WindowMessageKind::Size, SIZE_RESTORED, MAKELPARAM(640, 0)));
    EXPECT_TRUE(IsWindow(window)) << "closing is the game's decision, not the window procedure's";

    // A posted quit comes after everything else, with its exit code, once.
    postQuitMessage(3);
    postWindowMessage({WindowMessageKind::KeyDown, 'W', 0});
    const std::vector<WindowMessage> tail = drain();
    ASSERT_EQ(tail.size(), 2u);
    EXPECT_EQ(tail[0].kind, WindowMessageKind::KeyDown);
    EXPECT_EQ(tail[1].kind, WindowMessageKind::Quit);
    EXPECT_EQ(tail[1].wParam, 3u);
}

// Keys and the cursor as the game uses them are covered by the input tests,
// which run here too; a key code outside the table answers "up".
TEST(Win32Platform, KeysOutsideTheTable)
{
    EXPECT_EQ(getKeyState(-1), 0);
    EXPECT_EQ(getKeyState(4096), 0);
}

TEST(Win32Platform, BoxTextsAreWindows1250)
{
    const struct {
        const char* bytes;
        const wchar_t* wide;
    } cases[] = {
        {"Chce\x9a pou\x9e\xedt", L"Chce\u0161 pou\u017e\u00edt"},
        {"\x8a\x8e\xc8\xd8\xd9", L"\u0160\u017d\u010c\u0158\u016e"},
        {"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wideFromWindows1250(c.bytes), std::wstring(c.wide)) << c.bytes;
}

TEST(Win32Platform, WglContextAndEntryPoints)
{
    ASSERT_TRUE(ensureGlContext(320, 240));
    // OpenGL 1.1 functions come from opengl32 itself, extensions from WGL.
    EXPECT_NE(getGlProcAddress("glBindTexture"), nullptr);
    EXPECT_NE(getGlProcAddress("glActiveTextureARB"), nullptr);
    EXPECT_EQ(getGlProcAddress("glNoSuchFunction"), nullptr);
    const char* extensions = windowSystemExtensions();
    ASSERT_NE(extensions, nullptr);
    EXPECT_NE(std::strstr(extensions, "WGL_ARB_pixel_format"), nullptr) << extensions;

    // The multisampled format search: a sample count no driver offers is refused.
    if (std::strstr(extensions, "WGL_ARB_multisample")) {
        EXPECT_EQ(chooseMultisampleFormat(PixelFormatRequest{24, 8, 16, 8, true, 1, 256}), 0);
    }

    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const std::vector<uint8_t> pixel = readPixelsRgb(10, 10, 1, 1);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 255);
    swapBuffers();
}

// Any configured colour depth gets a format: above 32 bits the 32-bit one,
// 0 or less the display's own depth (24 bits on the test display).
TEST(Win32Platform, AnyColourDepthGetsTheNearestFormat)
{
    ASSERT_TRUE(ensureGlContext(320, 240));
    HWND window = FindWindowA("OpenGL", "test");
    HDC deviceContext = GetDC(window);
    ASSERT_NE(deviceContext, nullptr);
    for (int bits : {0, -8, 64, 300}) {
        const int format = choosePixelFormat(PixelFormatRequest{bits, 8, 24, 8, true, 0, 0});
        ASSERT_GT(format, 0) << bits;
        PIXELFORMATDESCRIPTOR chosen = {};
        ASSERT_NE(DescribePixelFormat(deviceContext, format, sizeof chosen, &chosen), 0) << bits;
        EXPECT_GE(chosen.cColorBits, 24) << bits;
        EXPECT_TRUE(chosen.dwFlags & PFD_SUPPORT_OPENGL) << bits;
    }
    ReleaseDC(window, deviceContext);
}

TEST(Win32Sound, StartUpGoesOnWithoutADevice)
{
    soundRefuseRates(30000);
    EXPECT_FALSE(FSOUND_Init(22050, 8, FSOUND_INIT_GLOBALFOCUS));
    soundRefuseRates(0);
    const bool device = waveOutGetNumDevs() > 0;
    EXPECT_EQ(FSOUND_Init(44100, 32, FSOUND_INIT_GLOBALFOCUS), device);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, "no\\such\\file.mp3", 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, "quote\".mp3", 0, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
    EXPECT_FALSE(FSOUND_SetVolume(0, 255)) << "nothing plays on channel 0";
    EXPECT_FALSE(FSOUND_SetLoopMode(0, FSOUND_LOOP_NORMAL));
}
