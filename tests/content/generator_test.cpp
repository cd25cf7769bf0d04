// The content generator gives the same bytes on every run: two fresh runs
// and the build's own Data tree must agree file for file.
#include <gtest/gtest.h>

#include <chrono>
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

// Runs the generator into dir; returns its exit status and the time taken.
int generate(const std::string& dir, double& seconds)
{
    const auto start = std::chrono::steady_clock::now();
    const std::string command = "\"" + content::generatorPath() + "\" \"" + dir + "\" > /dev/null";
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
    fs::remove_all(first);
    fs::remove_all(second);
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
