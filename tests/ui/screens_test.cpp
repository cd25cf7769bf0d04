#include <gtest/gtest.h>

#include "app/input.h"
#include "ui/font.h"
#include "ui/menubutton.h"
#include "ui/screens.h"
#include "ui/texts.h"

#include <cstring>

TEST(Font, GlyphNumbering)
{
    EXPECT_EQ(glyphForByte(' ', 0), 0);
    EXPECT_EQ(glyphForByte('A', 0), 33);
    EXPECT_EQ(glyphForByte(0xE9, 0), 201) << "e with acute";
    EXPECT_EQ(glyphForByte(255, 0), 223);
    EXPECT_EQ(glyphForByte(' ', 1), 128);
    EXPECT_EQ(glyphForByte(159, 1), 255);
    EXPECT_EQ(glyphForByte('A', 5), glyphForByte('A', 1)) << "sets above 1 print as set 1";
    // Bytes that would leave the font show the space instead.
    EXPECT_EQ(glyphForByte('\n', 0), 0);
    EXPECT_EQ(glyphForByte(1, 0), 0);
    EXPECT_EQ(glyphForByte(160, 1), 0);

    const GlyphCell space = glyphCell(0);
    EXPECT_FLOAT_EQ(space.left, 0.0f);
    EXPECT_FLOAT_EQ(space.bottom, 0.9375f) << "row 0 is the top of the picture";
    const GlyphCell last = glyphCell(255);
    EXPECT_FLOAT_EQ(last.left, 0.9375f);
    EXPECT_FLOAT_EQ(last.bottom, 0.0f);
}

TEST(MenuButton, StrictEdgesMeasuredFromTheOverlayHeight)
{
    MenuButton button;
    button.state = ButtonHover;
    initMenuButton(button, 25, 145, 150, 50, 7, 8, 9);
    EXPECT_EQ(button.state, ButtonHover) << "init leaves the state";
    EXPECT_EQ(button.topLeft.x, 25);
    EXPECT_EQ(button.topLeft.y, 195);
    EXPECT_EQ(button.bottomRight.x, 175);
    EXPECT_EQ(button.bottomRight.y, 145);
    EXPECT_EQ(button.textures[2], 9u);

    const int height = 768;
    const float inside = static_cast<float>(height - 170);
    EXPECT_EQ(menuButtonState(button, 25.0f, inside, false, height), ButtonIdle) << "left edge misses";
    EXPECT_EQ(menuButtonState(button, 26.0f, inside, false, height), ButtonHover);
    EXPECT_EQ(menuButtonState(button, 175.0f, inside, false, height), ButtonIdle) << "right edge misses";
    EXPECT_EQ(menuButtonState(button, 100.0f, static_cast<float>(height - 145), false, height), ButtonIdle);
    EXPECT_EQ(menuButtonState(button, 100.0f, static_cast<float>(height - 195), false, height), ButtonIdle);
    // Pressed outside, then moved in while held: pressed at once.
    EXPECT_EQ(menuButtonState(button, 300.0f, inside, true, height), ButtonIdle);
    EXPECT_EQ(menuButtonState(button, 100.0f, inside, true, height), ButtonPressed);
    // A window taller than the overlay grid: the hot area stays measured
    // from the configured height, not from the stretched picture.
    EXPECT_EQ(menuButtonState(button, 100.0f, 1000.0f - 170.0f, false, height), ButtonIdle);
    EXPECT_EQ(menuButtonState(button, 100.0f, 768.0f - 170.0f, false, height), ButtonHover);
}

TEST(ScreenFlow, EveryTransition)
{
    ScreenEvents none;
    for (int screen : {MainMenu, IntroStory, Playing, Credits}) {
        const ScreenStep step = stepScreen(screen, none);
        EXPECT_EQ(step.screen, screen);
        EXPECT_FALSE(step.startNewGame);
        EXPECT_FALSE(step.quit);
    }

    ScreenEvents newGame;
    newGame.newGameState = ButtonPressed;
    ScreenStep step = stepScreen(MainMenu, newGame);
    EXPECT_EQ(step.screen, IntroStory);
    EXPECT_TRUE(step.startNewGame);

    ScreenEvents hover;
    hover.newGameState = ButtonHover;
    hover.authorsState = ButtonHover;
    hover.quitState = ButtonHover;
    step = stepScreen(MainMenu, hover);
    EXPECT_EQ(step.screen, MainMenu) << "hovering acts on nothing";
    EXPECT_FALSE(step.quit);

    ScreenEvents authors;
    authors.authorsState = ButtonPressed;
    EXPECT_EQ(stepScreen(MainMenu, authors).screen, Credits);

    ScreenEvents quit;
    quit.quitState = ButtonPressed;
    step = stepScreen(MainMenu, quit);
    EXPECT_TRUE(step.quit);
    EXPECT_EQ(step.screen, MainMenu);

    ScreenEvents enter;
    enter.enterDown = true;
    EXPECT_EQ(stepScreen(IntroStory, enter).screen, Playing);
    EXPECT_EQ(stepScreen(Playing, enter).screen, Playing) << "Enter means nothing in play";
    EXPECT_EQ(stepScreen(Credits, enter).screen, Credits) << "the credits have no key of their own";

    ScreenEvents complete;
    complete.levelComplete = true;
    EXPECT_EQ(stepScreen(Playing, complete).screen, EndingStory);
    EXPECT_EQ(stepScreen(MainMenu, complete).screen, MainMenu);

    // The ending restarts the game and clears the flag every frame it shows;
    // Enter held when it comes up passes straight on to the credits.
    step = stepScreen(EndingStory, none);
    EXPECT_EQ(step.screen, EndingStory);
    EXPECT_TRUE(step.startNewGame);
    EXPECT_TRUE(step.clearLevelComplete);
    step = stepScreen(EndingStory, enter);
    EXPECT_EQ(step.screen, Credits);
    EXPECT_TRUE(step.startNewGame);

    EXPECT_EQ(stepScreen(7, enter).screen, 7) << "unknown screens draw nothing and stay";
}

TEST(ScreenFlow, EscapeAndStoriesTogether)
{
    // Ending -> credits -> Escape -> menu -> Escape -> play without a new game.
    input = InputState{};
    screenState.currentScreen = Credits;
    applyEscape(true);
    EXPECT_EQ(screenState.currentScreen, MainMenu);
    applyEscape(false);
    applyEscape(true);
    EXPECT_EQ(screenState.currentScreen, Playing);
    applyEscape(false);

    // New Game during a game restarts it.
    ScreenEvents newGame;
    newGame.newGameState = ButtonPressed;
    applyEscape(true);
    ASSERT_EQ(screenState.currentScreen, MainMenu);
    const ScreenStep step = stepScreen(screenState.currentScreen, newGame);
    EXPECT_TRUE(step.startNewGame);
    EXPECT_EQ(step.screen, IntroStory);
}

TEST(Texts, LinesFitTheWindowAndUseOnlyTheFontsBytes)
{
    auto check = [](const char* line) {
        ASSERT_NE(line, nullptr);
        const size_t length = std::strlen(line);
        EXPECT_GT(length, 0u);
        EXPECT_LE(length * 10 + 6, 1024u) << line;
        for (size_t i = 0; i < length; ++i) {
            const unsigned char byte = static_cast<unsigned char>(line[i]);
            EXPECT_TRUE(byte >= 32 && (byte < 128 || byte == 0xE9)) << "byte " << int(byte) << " in " << line;
        }
    };
    for (const char* line : introCzech)
        check(line);
    for (const char* line : introEnglish)
        check(line);
    for (const char* line : endingCzech)
        check(line);
    for (const char* line : endingEnglish)
        check(line);
    for (const CreditLine& line : creditLines)
        check(line.text);
    check(introPrompt);
    check(endingPrompt);
    EXPECT_STREQ(creditLines[0].text, "AUTHORS (Autori)");
    EXPECT_STREQ(creditLines[4].text, "Use audio library FMOD (Pouziva Audio Knihovnu FMOD)");
}
