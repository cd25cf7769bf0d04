#include "app/input.h"

#include "app/config.h"
#include "app/window.h"
#include "platform/platform.h"
#include "ui/screens.h"
#include "world/camera.h"
#include "world/world.h"

InputState input;

namespace {

bool keyDown(int virtualKey)
{
    return (getKeyState(virtualKey) & 0x80) != 0;
}

}  // namespace

void applyEscape(bool escapeDown)
{
    if (!escapeDown) {
        input.escapeLatch = false;
        return;
    }
    if (input.escapeLatch)
        return;
    input.escapeLatch = true;
    int& screen = screenState.currentScreen;
    switch (screen) {
    case Playing: screen = MainMenu; break;
    case MainMenu: screen = Playing; break;
    case Credits: screen = MainMenu; break;
    default: break;
    }
}

void mouseLook(Camera& camera, int width, int height)
{
    const int centreX = width / 2;
    const int centreY = height / 2;
    int cursorX = 0;
    int cursorY = 0;
    getCursorPos(cursorX, cursorY);
    if (cursorX == centreX && cursorY == centreY)
        return;
    setCursorPos(centreX, centreY);
    camera.view.y += static_cast<float>(centreY - cursorY) * mouseTiltPerPixel;
    rotateView(camera, static_cast<float>(cursorX - centreX) * mouseTurnPerPixel);
}

void processInput()
{
    applyEscape(keyDown(VK_ESCAPE));

    const bool playing = screenState.currentScreen == Playing;
    setMouseLookCapture(playing);
    if (!playing)
        return;
    const float rate = windowState.frameRate;
    if (keyDown('W'))
        moveCamera(world.playerCamera, walkSpeed, rate);
    if (keyDown('S'))
        moveCamera(world.playerCamera, -walkSpeed, rate);
    if (keyDown('D'))
        strafeCamera(world.playerCamera, walkSpeed, rate);
    if (keyDown('A'))
        strafeCamera(world.playerCamera, -walkSpeed, rate);
    mouseLook(world.playerCamera, config.windowWidth, config.windowHeight);
}
