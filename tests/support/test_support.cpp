#include "tests/support/test_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/config.h"
#include "app/probe.h"
#include "render/opengl.h"
#include "render/overlay.h"

BoxRecorder::BoxRecorder()
{
    setMessageBoxResponder([this](const MessageBoxRequest& request) {
        boxes_.push_back(request);
        if (!script_.empty()) {
            const int reply = script_.front();
            script_.pop_front();
            return reply;
        }
        return (request.type & 0x0F) == MB_YESNO ? static_cast<int>(IDYES) : static_cast<int>(IDOK);
    });
}

BoxRecorder::~BoxRecorder()
{
    setMessageBoxResponder(nullptr);
}

std::vector<std::string> BoxRecorder::texts() const
{
    std::vector<std::string> out;
    for (const MessageBoxRequest& box : boxes_)
        out.push_back(box.text);
    return out;
}

void expectBoxes(const BoxRecorder& recorder, std::initializer_list<ExpectedBox> expected)
{
    const std::vector<MessageBoxRequest>& boxes = recorder.boxes();
    ASSERT_EQ(boxes.size(), expected.size()) << ::testing::PrintToString(recorder.texts());
    size_t i = 0;
    for (const ExpectedBox& want : expected) {
        const MessageBoxRequest& box = boxes[i++];
        EXPECT_EQ(box.text, want.text);
        EXPECT_EQ(box.caption, want.caption) << want.text;
        EXPECT_EQ(box.type, want.type) << want.text;
        EXPECT_EQ(box.owner, want.owner) << want.text;
    }
}

void GlTest::SetUp()
{
    if (!ensureGlContext(width_, height_))
        GTEST_SKIP() << "no display for an OpenGL context";
    static bool probed = false;
    if (!probed) {
        BoxRecorder quiet;
        probeGlCapabilities();
        probed = true;
    }
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

bool ensureGlContext(int width, int height)
{
    static bool ready = false;
    static bool failed = false;
    if (failed)
        return false;
    if (!ready) {
        if (!std::getenv("DISPLAY") || !registerWindowClass() ||
            !createPlatformWindow("test", width, height, false) || !acquireDeviceContext()) {
            failed = true;
            return false;
        }
        PixelFormatRequest format;
        const int index = choosePixelFormat(format);
        if (!setPixelFormat(index) || !createRenderingContext() || !makeContextCurrent(true)) {
            failed = true;
            return false;
        }
        showPlatformWindow();
        ready = true;
    }
    config.windowWidth = width;
    config.windowHeight = height;
    overlayArea.width = width;
    overlayArea.height = height;
    glViewport(0, 0, width, height);
    return true;
}

std::vector<uint8_t> readPixelsRgb(int x, int y, int width, int height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::string makeScratchDir(const std::string& tag)
{
    static int counter = 0;
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("plemox-" + tag + "-" + std::to_string(getpid()) + "-" +
                                 std::to_string(counter++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& path)
    : previous_(std::filesystem::current_path().string())
{
    std::filesystem::current_path(path);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory()
{
    std::filesystem::current_path(previous_);
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::path p(path);
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

FILE* bytesFile(const std::string& bytes)
{
    FILE* file = std::tmpfile();
    if (file) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::rewind(file);
    }
    return file;
}

std::string gameDir()
{
    const char* dir = std::getenv("PLEMOX_GAME_DIR");
    return dir ? dir : "game";
}

bool takeQuitMessage()
{
    bool quit = false;
    WindowMessage message;
    while (peekMessage(message))
        quit = quit || (message.kind == WindowMessageKind::Quit && message.wParam == 0);
    return quit;
}
