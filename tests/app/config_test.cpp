#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/config.h"
#include "tests/support/test_support.h"

namespace {

EngineConfig parse(const std::string& text)
{
    EngineConfig values;
    applyConfigText(text, values);
    return values;
}

}  // namespace

TEST(Config, MissingFileIsCreatedWithDefaultsAndReadBack)
{
    const std::string dir = makeScratchDir("config");
    std::filesystem::create_directories(dir + "/Data/Engine");
    ScopedWorkingDirectory cwd(dir);
    BoxRecorder boxes;
    config = EngineConfig{};

    loadEngineConfig();

    // Written in text mode: the lines end in CR LF on Windows.
    std::string written = readFile(dir + "/Data/Engine/Initialization.ini");
    written.erase(std::remove(written.begin(), written.end(), '\r'), written.end());
    EXPECT_EQ(written,
              "PLEMOX_WINDOW_WIDTH 1024 \nPLEMOX_WINDOW_HEIGHT 768 \n"
              "PLEMOX_WINDOW_BITSPERPIXEL 32 \nPLEMOX_OPENGL_MULTISAMPLE_VALUE 1 \n");
    EXPECT_EQ(config.windowWidth, 1024);
    EXPECT_EQ(config.windowHeight, 768);
    EXPECT_EQ(config.bitsPerPixel, 32);
    EXPECT_EQ(readMultisampleSetting(), 1);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(Config, ExistingFileIsNotRecreated)
{
    const std::string dir = makeScratchDir("config");
    writeFile(dir + "/Data/Engine/Initialization.ini", "PLEMOX_WINDOW_WIDTH 800");
    ScopedWorkingDirectory cwd(dir);
    config = EngineConfig{};

    loadEngineConfig();

    EXPECT_EQ(config.windowWidth, 800);
    EXPECT_EQ(config.windowHeight, 480);
    EXPECT_EQ(config.bitsPerPixel, 32);
    // Written in text mode: the lines end in CR LF on Windows.
    std::string written = readFile(dir + "/Data/Engine/Initialization.ini");
    written.erase(std::remove(written.begin(), written.end(), '\r'), written.end());
    EXPECT_EQ(written, "PLEMOX_WINDOW_WIDTH 800");
    EXPECT_EQ(readMultisampleSetting(), 1);
}

TEST(Config, MissingFolderKeepsDefaultsAndTellsOnce)
{
    const std::string dir = makeScratchDir("config");
    ScopedWorkingDirectory cwd(dir);
    BoxRecorder boxes;
    config = EngineConfig{};

    loadEngineConfig();

    EXPECT_EQ(config.windowWidth, 640);
    EXPECT_EQ(config.windowHeight, 480);
    EXPECT_EQ(config.bitsPerPixel, 32);
    EXPECT_EQ(readMultisampleSetting(), 1);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, "Warning");
    EXPECT_NE(boxes.boxes()[0].text.find("Data/Engine/Initialization.ini"), std::string::npos);
}

TEST(Config, LineRules)
{
    // Not a number, or the key after leading blanks: unchanged.
    EXPECT_EQ(parse("PLEMOX_WINDOW_HEIGHT abc\n").windowHeight, 480);
    EXPECT_EQ(parse("  PLEMOX_WINDOW_HEIGHT 600\n").windowHeight, 480);
    EXPECT_EQ(parse("X PLEMOX_WINDOW_HEIGHT 600\n").windowHeight, 480);
    // The last readable occurrence wins.
    EXPECT_EQ(parse("PLEMOX_WINDOW_WIDTH 800\nPLEMOX_WINDOW_WIDTH 1280\nPLEMOX_WINDOW_WIDTH x\n").windowWidth,
              1280);
    // Trailing words are ignored; no blank needed before the line end.
    EXPECT_EQ(parse("PLEMOX_WINDOW_WIDTH 1280 pixels wide\n").windowWidth, 1280);
    EXPECT_EQ(parse("PLEMOX_WINDOW_WIDTH\t\t-300\n").windowWidth, -300);
    // Empty text: everything in effect stays.
    const EngineConfig empty = parse("");
    EXPECT_EQ(empty.windowWidth, 640);
    EXPECT_EQ(empty.windowHeight, 480);
    EXPECT_EQ(empty.bitsPerPixel, 32);
    EXPECT_EQ(multisampleFromText(""), 1);
    EXPECT_EQ(multisampleFromText("PLEMOX_OPENGL_MULTISAMPLE_VALUE 4 \nPLEMOX_OPENGL_MULTISAMPLE_VALUE 8\n"), 8);
    // The width key is a prefix of nothing else; the height line does not set the width.
    const EngineConfig both = parse("PLEMOX_WINDOW_HEIGHT 700\nPLEMOX_WINDOW_BITSPERPIXEL 16\n");
    EXPECT_EQ(both.windowWidth, 640);
    EXPECT_EQ(both.windowHeight, 700);
    EXPECT_EQ(both.bitsPerPixel, 16);
}

TEST(Config, LongLinesAreReadInPiecesOf254)
{
    // A key that starts the 255th character of a long line starts a piece of
    // its own, so it counts.
    std::string text(254, 'x');
    text += "PLEMOX_WINDOW_WIDTH 900\n";
    EXPECT_EQ(parse(text).windowWidth, 900);
    // One character less and the key straddles no piece start: ignored.
    std::string shifted(253, 'x');
    shifted += "PLEMOX_WINDOW_WIDTH 900\n";
    EXPECT_EQ(parse(shifted).windowWidth, 640);
    // A 10,000-character line of garbage followed by a real setting.
    std::string garbage(10000, '#');
    garbage += "\nPLEMOX_WINDOW_HEIGHT 720\n";
    EXPECT_EQ(parse(garbage).windowHeight, 720);
}

TEST(Config, GarbageAndBinaryBytesDoNotUpsetTheReader)
{
    std::string bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += static_cast<char>((i * 37 + 11) & 0xFF);
    bytes += "\nPLEMOX_WINDOW_BITSPERPIXEL 24\n";
    bytes += std::string("PLEMOX_WINDOW_WIDTH 1\0PLEMOX_WINDOW_HEIGHT 2\n", 45);
    const EngineConfig values = parse(bytes);
    EXPECT_EQ(values.bitsPerPixel, 24);
    EXPECT_EQ(values.windowWidth, 1);
    EXPECT_EQ(values.windowHeight, 480) << "a NUL byte ends what the line reader hands over";
    // Huge numbers are taken without a range test and without a crash.
    const EngineConfig huge = parse("PLEMOX_WINDOW_WIDTH 99999999999999999999\n");
    (void)huge.windowWidth;
    EXPECT_EQ(parse("PLEMOX_WINDOW_HEIGHT 2147483647\n").windowHeight, 2147483647);
}
