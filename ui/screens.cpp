#include "ui/screens.h"

#include "app/camera.h"
#include "app/config.h"
#include "app/probe.h"
#include "app/window.h"
#include "platform/platform.h"
#include "render/opengl.h"
#include "render/postprocess.h"
#include "ui/font.h"
#include "ui/menubutton.h"
#include "ui/texts.h"
#include "world/world.h"

unsigned logoTexture = 0;

namespace {

void pushOverlayProjection()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, config.windowWidth, 0.0, config.windowHeight, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void popOverlayProjection()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void barQuad()
{
    glBegin(GL_QUADS);
    multitexture.glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 0.0f);
    glVertex2i(0, 0);
    multitexture.glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 0.0f);
    glVertex2i(150, 0);
    multitexture.glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 1.0f);
    glVertex2i(150, 10);
    multitexture.glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 1.0f);
    glVertex2i(0, 10);
    glEnd();
}

void drawHitPointBar()
{
    const float h = static_cast<float>(world.hitPoints) * 0.001f;
    pushOverlayProjection();
    glTranslatef(25.0f, 25.0f, 0.0f);
    glScalef(h, 1.0f, 1.0f);
    glColor3f(h, 0.0f, 0.0f);
    barQuad();
    glLoadIdentity();
    glTranslatef(175.0f, 25.0f, 0.0f);
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
        drawText(50, config.windowHeight - (firstYFromTop + 20 * i), lines[i], 0);
}

void drawPlaying()
{
    renderWorldFrame(playerCamera);
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1, GL_TEXTURE2, GL_TEXTURE3}) {
        multitexture.glActiveTexture(unit);
        glDisable(GL_TEXTURE_2D);
    }
    drawText(20, 40, "EN - Hit Points | CZ - Zdravi", 0);
    drawHitPointBar();
}

void drawMainMenu()
{
    renderWorldFrame(menuCamera);
    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2, GL_TEXTURE3}) {
        multitexture.glActiveTexture(unit);
        glDisable(GL_TEXTURE_2D);
    }
    glColor3f(1.0f, 1.0f, 1.0f);
    drawMenuButton(menuButtons.newGameButton);
    updateMenuButton(menuButtons.newGameButton);
    drawMenuButton(menuButtons.quitButton);
    updateMenuButton(menuButtons.quitButton);
    drawMenuButton(menuButtons.authorsButton);
    updateMenuButton(menuButtons.authorsButton);

    const int mouseX = static_cast<int>(windowState.mouseX);
    const int mouseY = static_cast<int>(static_cast<float>(config.windowHeight) - windowState.mouseY);
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
    drawText(50, config.windowHeight - 700, introPrompt, 0);
}

void drawEnding()
{
    clearForText();
    drawLines(endingCzech, endingLineCount, 20);
    drawLines(endingEnglish, endingLineCount, 180);
    drawText(50, config.windowHeight - 400, endingPrompt, 0);
}

void drawCredits()
{
    clearForText();
    for (const CreditLine& line : creditLines) {
        const int x = line.centred ? config.windowWidth / 2 + line.x : line.x;
        drawText(x, config.windowHeight - line.yFromTop, line.text, 0);
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
    const int w = config.windowWidth;
    const int h = config.windowHeight;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
    multitexture.glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, logoTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2, GL_TEXTURE3}) {
        multitexture.glActiveTexture(unit);
        glDisable(GL_TEXTURE_2D);
    }
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

void drawFrame()
{
    const int screen = input.currentScreen;
    ScreenEvents events;
    switch (screen) {
    case MainMenu:
        drawMainMenu();
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
    input.currentScreen = step.screen;
    if (step.startNewGame)
        world.hitPoints = -1;
    if (step.clearLevelComplete)
        world.levelComplete = 0;
    if (step.quit)
        postQuitMessage(0);
    if (screen == MainMenu || screen == Playing)
        drawLogoOverlay();

    windowState.frameRate = updateFrameCounter();
}
