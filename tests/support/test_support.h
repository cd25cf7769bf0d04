// Helpers shared by the tests: a message-box recorder and matcher, a GL
// fixture on the test's Xvfb display with pixel read-back, a byte builder
// for test files, and scratch folders.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/bytewriter.h"
#include "platform/platform.h"

// Records every message box and answers from a script (then with the first
// button). Installs itself on construction, removes itself on destruction.
class BoxRecorder {
public:
    BoxRecorder();
    ~BoxRecorder();
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    void answer(int reply) { script_.push_back(reply); }
    const std::vector<MessageBoxRequest>& boxes() const { return boxes_; }
    std::vector<std::string> texts() const;
    void clear() { boxes_.clear(); }

private:
    std::vector<MessageBoxRequest> boxes_;
    std::deque<int> script_;
};

// A box as a test expects it.
struct ExpectedBox {
    std::string text;
    std::string caption;
    unsigned type = MB_OK;
    BoxOwner owner = BoxOwner::None;
};

// Checks that exactly these boxes were shown, in this order, with their
// text, caption, type and owner.
void expectBoxes(const BoxRecorder& recorder, std::initializer_list<ExpectedBox> expected);

// A test file built field by field: little-endian numbers, raw bytes, text.
class Bytes {
public:
    Bytes& u8(unsigned v) { putU8(bytes_, v); return *this; }
    Bytes& u16(unsigned v) { putU16(bytes_, v); return *this; }
    Bytes& u32(uint32_t v) { putU32(bytes_, v); return *this; }
    Bytes& f32(float v) { putF32(bytes_, v); return *this; }
    Bytes& raw(const std::string& more) { bytes_ += more; return *this; }
    Bytes& fill(size_t count, unsigned value) { bytes_.append(count, static_cast<char>(value)); return *this; }
    const std::string& str() const { return bytes_; }
    size_t size() const { return bytes_.size(); }
    const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(bytes_.data()); }

private:
    std::string bytes_;
};

// Makes a window of the given size with a current OpenGL context (once per
// process; later calls reuse it and only resize the viewport). Returns false
// when no display is available.
bool ensureGlContext(int width = 256, int height = 256);

// Reads width x height RGB pixels from the colour buffer, bottom row first.
std::vector<uint8_t> readPixelsRgb(int x, int y, int width, int height);

// The fixture of every test that draws: a current context of the given size
// (skipped without a display), the driver probed once, the game's fixed
// state (depth test with GL_LEQUAL), an identity view and a cleared picture.
class GlTest : public ::testing::Test {
protected:
    explicit GlTest(int width = 256, int height = 256) : width_(width), height_(height) {}
    void SetUp() override;
    // One pixel's R, G, B of the colour buffer.
    std::vector<uint8_t> pixelAt(int x, int y) const { return readPixelsRgb(x, y, 1, 1); }
    int width_;
    int height_;
};

// A fresh, empty folder under the system's temporary folder.
std::string makeScratchDir(const std::string& tag);

// Changes the working directory for the lifetime of the object.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& path);
    ~ScopedWorkingDirectory();

private:
    std::string previous_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
// A stream that reads the given bytes (a temporary file, on every platform).
FILE* bytesFile(const std::string& bytes);

// Takes every pending window message; true when a quit with code 0 was among them.
bool takeQuitMessage();

// The folder that holds the built game with its Data tree.
std::string gameDir();
