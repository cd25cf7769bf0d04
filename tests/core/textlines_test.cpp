#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/textlines.h"

// The one line rule of the configuration, map and material files: a read
// takes at most 254 characters, so a longer line arrives in pieces.
TEST(TextLines, PiecesOfAtMost254Characters)
{
    const std::string a254(254, 'a');
    const std::string b253(253, 'b');
    struct Case {
        std::string text;
        std::vector<std::string> expected;
    } cases[] = {
        {"", {}},
        {"one\ntwo", {"one\n", "two"}},
        {"\n\n", {"\n", "\n"}},
        {b253 + "\n", {b253 + "\n"}},
        {a254 + "\n", {a254, "\n"}},
        {a254 + "xyz\nend", {a254, "xyz\n", "end"}},
        {std::string(600, 'c'), {std::string(254, 'c'), std::string(254, 'c'), std::string(92, 'c')}},
        {std::string("ke\0y\nnext", 9), {"ke", "next"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> pieces;
        forEachTextLine(c.text, [&](const char* line) { pieces.push_back(line); });
        EXPECT_EQ(pieces, c.expected) << "text of " << c.text.size() << " bytes";
    }
}
