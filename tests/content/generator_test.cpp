// The content generator gives the same bytes on every run: a fresh run must
// agree file for file with the Data tree the build made with it earlier.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/content/content_support.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

TEST(Generator, GivesTheSameBytesOnEveryRunAndRefusesAnUnwritableFolder)
{
    if (!content::contentBuilt())
        GTEST_SKIP() << "the build makes no game data (PLEMOX_CONTENT is off)";
    const std::string program = "\"" + content::generatorPath() + "\"";
    const std::string dir = makeScratchDir("content-generate");
    ASSERT_EQ(std::system((program + " \"" + dir + "\" \"" + dir + ".ico\" > /dev/null").c_str()), 0);
    size_t files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const std::string name = fs::relative(entry.path(), dir).generic_string();
        const std::string shipped = gameDir() + "/Data/" + name;
        EXPECT_TRUE(fs::exists(shipped) && readFile(shipped) == readFile(entry.path().string()))
            << name << " differs from " << shipped;
    }
    // Models, material maps, pictures and the music.
    EXPECT_GE(files, 22u + 13u + 36u + 6u + 1u);

    fs::remove(dir + ".ico");

    // No folder given, or a regular file where the folder should be.
    EXPECT_NE(std::system((program + " > /dev/null 2>&1").c_str()), 0);
    writeFile(dir + "/Models/Blocked", "not a folder");
    EXPECT_NE(std::system((program + " \"" + dir + "/Models/Blocked\" > /dev/null 2>&1").c_str()), 0);
    fs::remove_all(dir);
}
