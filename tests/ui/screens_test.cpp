#include <gtest/gtest.h>

#include "app/input.h"
#include "ui/font.h"
#include "ui/menubutton.h"
#include "ui/screens.h"

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
}

TEST(MenuButton, StrictEdgesMeasuredFromTheOverlayHeight)
{
    MenuButton button;
    initMenuButton(button, 25, 145, 150, 50, 7, 8, 9);
    // Measured from the configured height (768) in any window; edges miss; a held press counts.
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
    // Button states (new game, authors, quit), Enter, level complete; the
    // whole-game test walks the usual path.
    const ScreenEvents none, hover{ButtonHover, ButtonHover, ButtonHover},
        authors{0, ButtonPressed}, quit{0, 0, ButtonPressed}, enter{0, 0, 0, true},
        complete{0, 0, 0, false, true};
    const struct {
        int from;
        const ScreenEvents& events;
        int to;
        bool startNewGame, clearLevelComplete, quit;
    } cases[] = {
        {MainMenu, hover, MainMenu, false, false, false},  // hovering acts on nothing
        {MainMenu, authors, Credits, false, false, false},
        {MainMenu, quit, MainMenu, false, false, true},
        {Playing, enter, Playing, false, false, false},
        {Credits, enter, Credits, false, false, false},
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
