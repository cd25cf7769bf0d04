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

    // The Windows icon: one 32 x 32 image of 32 bits, its size and offset
    // matching the file, a see-through ground around an opaque bottle.
    const std::string icon = readFile(dir + ".ico");
    ASSERT_EQ(icon.size(), 22u + 40u + 32u * 32u * 4u + 32u * 4u);
    auto word = [&](size_t at) { return static_cast<uint8_t>(icon[at]) | static_cast<uint8_t>(icon[at + 1]) << 8; };
    // Offset and value of each 16-bit field: an icon, one image of 32 x 32
    // at 32 bits, its size and offset, 64 rows (colour and mask).
    const int fields[][2] = {{2, 1},  {4, 1},  {6, 32 | 32 << 8}, {12, 32}, {14, int(icon.size()) - 22},
                             {16, 0}, {18, 22}, {22 + 8, 64}};
    for (const auto& field : fields)
        EXPECT_EQ(word(static_cast<size_t>(field[0])), field[1]) << "at " << field[0];
    EXPECT_EQ(static_cast<uint8_t>(icon[62 + 3]), 0) << "corner";
    EXPECT_EQ(static_cast<uint8_t>(icon[62 + (10 * 32 + 16) * 4 + 3]), 255) << "bottle";
    fs::remove(dir + ".ico");

    // No folder given, or a regular file where the folder should be.
    EXPECT_NE(std::system((program + " > /dev/null 2>&1").c_str()), 0);
    writeFile(dir + "/Models/Blocked", "not a folder");
    EXPECT_NE(std::system((program + " \"" + dir + "/Models/Blocked\" > /dev/null 2>&1").c_str()), 0);
    fs::remove_all(dir);
}
