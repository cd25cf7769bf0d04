// The content generator gives the same bytes on every run: two fresh runs
// and the build's own Data tree must agree file for file.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "tests/content/content_support.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

// Every regular file under root, by its path relative to root.
std::map<std::string, std::string> tree(const std::string& root)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).generic_string()] = readFile(entry.path().string());
    return files;
}

// Runs the generator into dir (and the icon into dir + ".ico"); returns its
// exit status and the time taken.
int generate(const std::string& dir, double& seconds)
{
    const auto start = std::chrono::steady_clock::now();
    const std::string command = "\"" + content::generatorPath() + "\" \"" + dir + "\" \"" + dir + ".ico\" > /dev/null";
    const int status = std::system(command.c_str());
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return status;
}

}  // namespace

TEST(Generator, GivesTheSameBytesOnEveryRun)
{
    if (!content::contentBuilt())
        GTEST_SKIP() << "the build makes no game data (PLEMOX_CONTENT is off)";
    ASSERT_TRUE(fs::exists(content::generatorPath())) << content::generatorPath();
    const std::string first = makeScratchDir("content-first");
    const std::string second = makeScratchDir("content-second");
    double firstSeconds = 0.0, secondSeconds = 0.0;
    ASSERT_EQ(generate(first, firstSeconds), 0);
    ASSERT_EQ(generate(second, secondSeconds), 0);
    std::printf("generator: %.1f s and %.1f s\n", firstSeconds, secondSeconds);

    const std::map<std::string, std::string> a = tree(first);
    const std::map<std::string, std::string> b = tree(second);
    // Models, material maps, pictures and the music.
    EXPECT_GE(a.size(), 22u + 13u + 36u + 6u + 1u);
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        const auto other = b.find(name);
        ASSERT_NE(other, b.end()) << name;
        EXPECT_TRUE(bytes == other->second) << name << " differs between runs";
        // The build generated the game's tree with the same program.
        const std::string shipped = gameDir() + "/Data/" + name;
        EXPECT_TRUE(fs::exists(shipped) && readFile(shipped) == bytes) << name << " differs from " << shipped;
    }
    // The Windows icon: one 32 x 32 image of 32 bits, its size and offset
    // matching the file, a see-through ground around an opaque bottle.
    const std::string icon = readFile(first + ".ico");
    EXPECT_EQ(icon, readFile(second + ".ico"));
    ASSERT_EQ(icon.size(), 22u + 40u + 32u * 32u * 4u + 32u * 4u);
    auto word = [&](size_t at) { return static_cast<uint8_t>(icon[at]) | static_cast<uint8_t>(icon[at + 1]) << 8; };
    EXPECT_EQ(word(2), 1);  // an icon
    EXPECT_EQ(word(4), 1);  // one image
    EXPECT_EQ(icon[6], 32);
    EXPECT_EQ(icon[7], 32);
    EXPECT_EQ(word(12), 32);
    EXPECT_EQ(word(14) + (word(16) << 16), static_cast<int>(icon.size()) - 22);
    EXPECT_EQ(word(18), 22);
    EXPECT_EQ(word(22 + 8), 64) << "colour rows and mask";
    const uint8_t corner = static_cast<uint8_t>(icon[62 + 3]);
    const uint8_t middle = static_cast<uint8_t>(icon[62 + (10 * 32 + 16) * 4 + 3]);
    EXPECT_EQ(corner, 0);
    EXPECT_EQ(middle, 255);
    fs::remove_all(first);
    fs::remove_all(second);
    fs::remove(first + ".ico");
    fs::remove(second + ".ico");
}

TEST(Generator, RefusesAMissingOrUnwritableFolder)
{
    if (!content::contentBuilt())
        GTEST_SKIP() << "the build makes no game data (PLEMOX_CONTENT is off)";
    const std::string usage = "\"" + content::generatorPath() + "\" > /dev/null 2>&1";
    EXPECT_NE(std::system(usage.c_str()), 0);
    // A regular file where the Data folder should be: nothing can be written.
    const std::string dir = makeScratchDir("content-blocked");
    writeFile(dir + "/Data", "not a folder");
    double seconds = 0.0;
    EXPECT_NE(generate(dir + "/Data", seconds), 0);
    fs::remove_all(dir);
}
