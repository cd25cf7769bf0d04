#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/config.h"
#include "tests/support/test_support.h"

TEST(Config, FileIsCreatedWithDefaultsOnlyWhenMissingAndReadToOneMebibyte)
{
    const std::string defaults = "PLEMOX_WINDOW_WIDTH 1024 \nPLEMOX_WINDOW_HEIGHT 768 \n"
                                 "PLEMOX_WINDOW_BITSPERPIXEL 32 \nPLEMOX_OPENGL_MULTISAMPLE_VALUE 1 \n";
    // The height line starts right after the first MiB.
    const std::string large = "PLEMOX_WINDOW_WIDTH 800\n" + std::string((1u << 20) - 25, '#') +
                              "\nPLEMOX_WINDOW_HEIGHT 600\n";
    const struct {
        const char* existing;  // nullptr: no file; "-": no folder either; "zero": a link to /dev/zero
        int width, height;
        const char* after;    // the file's text afterwards
        const char* warning;  // a piece of the one warning shown
    } cases[] = {{nullptr, 1024, 768, defaults.c_str(), nullptr},
                 {"PLEMOX_WINDOW_WIDTH 800", 800, 480, "PLEMOX_WINDOW_WIDTH 800", nullptr},
                 {"-", 640, 480, nullptr, "Data/Engine/Initialization.ini"},
                 // Nothing after the first MiB is read.
                 {large.c_str(), 800, 480, large.c_str(), "1 MiB"},
                 {"zero", 640, 480, nullptr, "1 MiB"}};
    for (const auto& c : cases) {
        const std::string dir = makeScratchDir("config");
        const std::string path = dir + "/Data/Engine/Initialization.ini";
        const std::string existing = c.existing ? c.existing : "";
        if (existing != "-")
            std::filesystem::create_directories(dir + "/Data/Engine");
        std::error_code noDevice;
        if (existing == "zero")
            std::filesystem::create_symlink("/dev/zero", path, noDevice);
        else if (c.existing && existing != "-")
            writeFile(path, existing);
        if (noDevice)
            continue;  // no endless device on this system
        ScopedWorkingDirectory cwd(dir);
        BoxRecorder boxes;
        config = EngineConfig{};
        loadEngineConfig();
        SCOPED_TRACE(existing.substr(0, 30));
        EXPECT_EQ(config.windowWidth, c.width);
        EXPECT_EQ(config.windowHeight, c.height);
        EXPECT_EQ(config.bitsPerPixel, 32);
        EXPECT_EQ(readMultisampleSetting(), 1);
        if (c.after) {
            // Written in text mode: the lines end in CR LF on Windows.
            std::string written = readFile(path);
            written.erase(std::remove(written.begin(), written.end(), '\r'), written.end());
            EXPECT_TRUE(written == c.after) << "the file is kept or made with the defaults";
        }
        if (!c.warning) {
            expectBoxes(boxes, {});
        } else {
            ASSERT_EQ(boxes.boxes().size(), 1u) << "a problem is told once";
            EXPECT_EQ(boxes.boxes()[0].caption, "Warning");
            EXPECT_NE(boxes.boxes()[0].text.find(c.warning), std::string::npos);
        }
    }
}

TEST(Config, LineRules)
{
    const struct {
        std::string text;
        int width, height, bits;
    } cases[] = {
        {"", 640, 480, 32},  // empty text: everything in effect stays
        // Not a number, or the key not at the start of the line: unchanged.
        {"PLEMOX_WINDOW_HEIGHT abc\n  PLEMOX_WINDOW_HEIGHT 600\nX PLEMOX_WINDOW_HEIGHT 600\n", 640, 480, 32},
        // The last readable occurrence wins.
        {"PLEMOX_WINDOW_WIDTH 800\nPLEMOX_WINDOW_WIDTH 1280\nPLEMOX_WINDOW_WIDTH x\n", 1280, 480, 32},
        // Trailing words are ignored; any blanks before the value.
        {"PLEMOX_WINDOW_WIDTH 1280 pixels wide\n", 1280, 480, 32},
        {"PLEMOX_WINDOW_WIDTH\t\t-300\n", -300, 480, 32},
        {"PLEMOX_WINDOW_HEIGHT 700\nPLEMOX_WINDOW_BITSPERPIXEL 16\n", 640, 700, 16},
        // A zero byte ends what the line reader hands over.
        {std::string("PLEMOX_WINDOW_WIDTH 1\0PLEMOX_WINDOW_HEIGHT 2\n", 45), 1, 480, 32},
    };
    for (const auto& c : cases) {
        EngineConfig values;
        applyConfigText(c.text, values);
        EXPECT_EQ(values.windowWidth, c.width) << c.text.substr(0, 60);
        EXPECT_EQ(values.windowHeight, c.height) << c.text.substr(0, 60);
        EXPECT_EQ(values.bitsPerPixel, c.bits) << c.text.substr(0, 60);
    }
    EXPECT_EQ(multisampleFromText(""), 1);
    EXPECT_EQ(multisampleFromText("PLEMOX_OPENGL_MULTISAMPLE_VALUE 4 \nPLEMOX_OPENGL_MULTISAMPLE_VALUE 8\n"), 8);
    // Binary bytes and huge numbers do not upset the reader.
    std::string bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += static_cast<char>((i * 37 + 11) & 0xFF);
    EngineConfig values;
    applyConfigText(bytes + "\nPLEMOX_WINDOW_BITSPERPIXEL 24\nPLEMOX_WINDOW_WIDTH 99999999999999999999\n", values);
    EXPECT_EQ(values.bitsPerPixel, 24);
    // The filtering key is optional: absent it stays -1 (the driver decides).
    EXPECT_EQ(values.textureAnisotropy, -1);
    applyConfigText("PLEMOX_TEXTURE_ANISOTROPY 0 \n", values);
    EXPECT_EQ(values.textureAnisotropy, 0);
    applyConfigText("PLEMOX_TEXTURE_ANISOTROPY 8\n", values);
    EXPECT_EQ(values.textureAnisotropy, 8);
}
