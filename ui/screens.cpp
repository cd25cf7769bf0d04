#include "ui/screens.h"

#include "platform/platform.h"
#include "render/capabilities.h"
#include "render/opengl.h"
#include "render/overlay.h"
#include "ui/font.h"
#include "ui/texts.h"
#include "world/camera.h"
#include "world/frame.h"
#include "world/rules.h"
#include "world/world.h"

ScreenState screenState;

namespace {

// The hit-point bar: 150 x 10 pixels at (25, 25), red in proportion to the
// hit points, the rest black.
constexpr int barLeft = 25;
constexpr int barBottom = 25;
constexpr int barWidth = 150;
constexpr int barHeight = 10;

void barQuad()
{
    glBegin(GL_QUADS);
    multitexture.glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 0.0f);
    glVertex2i(0, 0);
    multitexture.glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 0.0f);
    glVertex2i(barWidth, 0);
    multitexture.glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 1.0f);
    glVertex2i(barWidth, barHeight);
    multitexture.glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 1.0f);
    glVertex2i(0, barHeight);
    glEnd();
}

void drawHitPointBar()
{
    const float h = static_cast<float>(world.hitPoints) / static_cast<float>(maxHitPoints);
    pushOverlayProjection();
    glTranslatef(static_cast<float>(barLeft), static_cast<float>(barBottom), 0.0f);
    glScalef(h, 1.0f, 1.0f);
    glColor3f(h, 0.0f, 0.0f);
    barQuad();
    glLoadIdentity();
    glTranslatef(static_cast<float>(barLeft + barWidth), static_cast<float>(barBottom), 0.0f);
    glScalef(-(1.0f - h), 1.0f, 1.0f);
    glColor3f(0.0f, 0.0f, 0.0f);
    barQuad();
    popOverlayProjection();
}

void clearForText()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glLoadIdentity();
}

void drawLines(const char* const* lines, int count, int firstYFromTop)
{
    for (int i = 0; i < count; ++i)
        drawText(50, overlayArea.height - (firstYFromTop + 20 * i), lines[i], 0);
}

void drawPlaying()
{
    renderWorldFrame(world, world.playerCamera);
    disableTextureUnits(0);
    drawText(20, 40, "EN - Hit Points | CZ - Zdravi", 0);
    drawHitPointBar();
}

void drawMainMenu(const MouseState& mouse)
{
    renderWorldFrame(world, menuCamera);
    disableTextureUnits(1);
    glColor3f(1.0f, 1.0f, 1.0f);
    drawMenuButton(menuButtons.newGameButton);
    updateMenuButton(menuButtons.newGameButton, mouse);
    drawMenuButton(menuButtons.quitButton);
    updateMenuButton(menuButtons.quitButton, mouse);
    drawMenuButton(menuButtons.authorsButton);
    updateMenuButton(menuButtons.authorsButton, mouse);

    const int mouseX = static_cast<int>(mouse.mouseX);
    const int mouseY = static_cast<int>(static_cast<float>(overlayArea.height) - mouse.mouseY);
    if (menuButtons.newGameButton.state == ButtonHover)
        drawText(mouseX, mouseY, "CZ - Nova Hra | EN - New Game", 0);
    if (menuButtons.authorsButton.state == ButtonHover)
        drawText(mouseX, mouseY, "CZ - Autori | EN - Authors", 0);
    if (menuButtons.quitButton.state == ButtonHover)
        drawText(mouseX, mouseY, "CZ - Ukonci Hru | EN - Exit Game", 0);
}

void drawIntro()
{
    clearForText();
    drawLines(introCzech, introLineCount, 20);
    drawLines(introEnglish, introLineCount, 320);
    drawText(50, overlayArea.height - 700, introPrompt, 0);
}

void drawEnding()
{
    clearForText();
    drawLines(endingCzech, endingLineCount, 20);
    drawLines(endingEnglish, endingLineCount, 180);
    drawText(50, overlayArea.height - 400, endingPrompt, 0);
}

void drawCredits()
{
    clearForText();
    for (const CreditLine& line : creditLines) {
        const int x = line.centred ? overlayArea.width / 2 + line.x : line.x;
        drawText(x, overlayArea.height - line.yFromTop, line.text, 0);
    }
}

bool enterDown()
{
    return (getKeyState(VK_RETURN) & 0x80) != 0;
}

}  // namespace

ScreenStep stepScreen(int screen, const ScreenEvents& events)
{
    ScreenStep step;
    step.screen = screen;
    switch (screen) {
    case MainMenu:
        if (events.newGameState == ButtonPressed) {
            step.screen = IntroStory;
            step.startNewGame = true;
        }
        if (events.authorsState == ButtonPressed)
            step.screen = Credits;
        if (events.quitState == ButtonPressed)
            step.quit = true;
        break;
    case IntroStory:
        if (events.enterDown)
            step.screen = Playing;
        break;
    case Playing:
        if (events.levelComplete)
            step.screen = EndingStory;
        break;
    case EndingStory:
        step.startNewGame = true;
        step.clearLevelComplete = true;
        if (events.enterDown)
            step.screen = Credits;
        break;
    default:
        break;
    }
    return step;
}

void drawLogoOverlay()
{
    const int w = overlayArea.width;
    const int h = overlayArea.height;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
    multitexture.glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, screenState.logoTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    disableTextureUnits(1);
    multitexture.glActiveTexture(GL_TEXTURE0);
    pushOverlayProjection();
    glTranslatef(25.0f, 25.0f, 0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(w - 250, h - 200);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2i(w - 50, h - 200);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2i(w - 50, h);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2i(w - 250, h);
    glEnd();
    popOverlayProjection();
    glDisable(GL_BLEND);
}

void drawFrame(const MouseState& mouse)
{
    const int screen = screenState.currentScreen;
    ScreenEvents events;
    switch (screen) {
    case MainMenu:
        drawMainMenu(mouse);
        events.newGameState = menuButtons.newGameButton.state;
        events.authorsState = menuButtons.authorsButton.state;
        events.quitState = menuButtons.quitButton.state;
        break;
    case IntroStory:
        drawIntro();
        events.enterDown = enterDown();
        break;
    case Playing:
        drawPlaying();
        events.levelComplete = world.levelComplete == 1;
        break;
    case EndingStory:
        drawEnding();
        events.enterDown = enterDown();
        break;
    case Credits:
        drawCredits();
        break;
    default:
        break;
    }

    const ScreenStep step = stepScreen(screen, events);
    screenState.currentScreen = step.screen;
    if (step.startNewGame)
        world.hitPoints = -1;
    if (step.clearLevelComplete)
        world.levelComplete = 0;
    if (step.quit)
        postQuitMessage(0);
    if (screen == MainMenu || screen == Playing)
        drawLogoOverlay();
}
