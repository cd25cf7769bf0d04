// Helpers shared by the tests: a message-box recorder, a GL context on the
// test's Xvfb display, scratch folders and pixel read-back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

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

// Makes a window of the given size with a current OpenGL context (once per
// process; later calls reuse it and only resize the viewport). Returns false
// when no display is available.
bool ensureGlContext(int width = 256, int height = 256);

// Reads width x height RGB pixels from the colour buffer, bottom row first.
std::vector<uint8_t> readPixelsRgb(int x, int y, int width, int height);

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

// The folder that holds the built game with its Data tree.
std::string gameDir();
