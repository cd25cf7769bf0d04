#include <gtest/gtest.h>

#include "app/input.h"
#include "ui/font.h"
#include "ui/menubutton.h"
#include "ui/screens.h"
#include "ui/texts.h"

#include <string>
#include <vector>

TEST(Font, GlyphNumbering)
{
    const int cases[][3] = {
        {' ', 0, 0}, {'A', 0, 33}, {0xE9, 0, 201}, {255, 0, 223}, {' ', 1, 128}, {159, 1, 255},
        {'A', 5, 161},  // sets above 1 print as set 1
        // Bytes that would leave the font show the space instead.
        {'\n', 0, 0}, {1, 0, 0}, {160, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(glyphForByte(static_cast<unsigned char>(c[0]), c[1]), c[2]) << "byte " << c[0] << " set " << c[1];
    // Sixteen cells a row, row 0 at the top of the picture.
    const GlyphCell second = glyphCell(1), last = glyphCell(255);
    EXPECT_EQ(std::vector<float>({second.left, second.bottom, last.left, last.bottom}),
              std::vector<float>({0.0625f, 0.9375f, 0.9375f, 0.0f}));
}

TEST(MenuButton, StrictEdgesMeasuredFromTheOverlayHeight)
{
    MenuButton button;
    button.state = ButtonHover;
    initMenuButton(button, 25, 145, 150, 50, 7, 8, 9);
    EXPECT_EQ(button.state, ButtonHover) << "init leaves the state";
    EXPECT_EQ(std::vector<unsigned>(button.textures, button.textures + 3), (std::vector<unsigned>{7, 8, 9}));
    // The hot area is measured from the configured height (768), even in a
    // taller window; its edges miss; a press moved in while held counts at once.
    const struct {
        float x, y;
        bool down;
        int state;
    } cases[] = {
        {25, 598, false, ButtonIdle}, {26, 598, false, ButtonHover}, {175, 598, false, ButtonIdle},
        {174, 598, false, ButtonHover}, {100, 768 - 145, false, ButtonIdle}, {100, 768 - 146, false, ButtonHover},
        {100, 768 - 195, false, ButtonIdle}, {100, 1000 - 170, false, ButtonIdle}, {300, 598, true, ButtonIdle},
        {100, 598, true, ButtonPressed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(menuButtonState(button, c.x, c.y, c.down, 768), c.state) << c.x << "," << c.y << " " << c.down;
}

TEST(ScreenFlow, EveryTransition)
{
    // Button states (new game, authors, quit), Enter, level complete.
    const ScreenEvents none, newGame{ButtonPressed}, hover{ButtonHover, ButtonHover, ButtonHover},
        authors{0, ButtonPressed}, quit{0, 0, ButtonPressed}, enter{0, 0, 0, true},
        complete{0, 0, 0, false, true};
    const struct {
        int from;
        const ScreenEvents& events;
        int to;
        bool startNewGame, clearLevelComplete, quit;
    } cases[] = {
        {MainMenu, none, MainMenu, false, false, false},
        {IntroStory, none, IntroStory, false, false, false},
        {Playing, none, Playing, false, false, false},
        {Credits, none, Credits, false, false, false},
        {MainMenu, newGame, IntroStory, true, false, false},
        {MainMenu, hover, MainMenu, false, false, false},  // hovering acts on nothing
        {MainMenu, authors, Credits, false, false, false},
        {MainMenu, quit, MainMenu, false, false, true},
        {IntroStory, enter, Playing, false, false, false},
        {Playing, enter, Playing, false, false, false},
        {Credits, enter, Credits, false, false, false},
        {Playing, complete, EndingStory, false, false, false},
        {MainMenu, complete, MainMenu, false, false, false},
        // The ending restarts the game and clears the flag every frame it
        // shows; Enter held when it comes up passes straight on.
        {EndingStory, none, EndingStory, true, true, false},
        {EndingStory, enter, Credits, true, true, false},
        {7, enter, 7, false, false, false},  // unknown screens stay
    };
    for (const auto& c : cases) {
        const ScreenStep step = stepScreen(c.from, c.events);
        EXPECT_EQ((std::vector<int>{step.screen, step.startNewGame, step.clearLevelComplete, step.quit}),
                  (std::vector<int>{c.to, c.startNewGame, c.clearLevelComplete, c.quit}))
            << "from " << c.from << " to " << c.to;
    }
}

TEST(Texts, LinesFitTheWindowAndUseOnlyTheFontsBytes)
{
    std::vector<const char*> lines = {introPrompt, endingPrompt};
    lines.insert(lines.end(), introCzech, introCzech + introLineCount);
    lines.insert(lines.end(), introEnglish, introEnglish + introLineCount);
    lines.insert(lines.end(), endingCzech, endingCzech + endingLineCount);
    lines.insert(lines.end(), endingEnglish, endingEnglish + endingLineCount);
    for (const CreditLine& line : creditLines)
        lines.push_back(line.text);
    for (const char* line : lines) {
        ASSERT_NE(line, nullptr);
        const std::string text = line;
        EXPECT_TRUE(!text.empty() && text.size() * 10 + 6 <= 1024) << line;
        for (unsigned char byte : text)
            EXPECT_TRUE(byte >= 32 && (byte < 128 || byte == 0xE9)) << "byte " << int(byte) << " in " << line;
    }
}
