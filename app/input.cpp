#include "app/input.h"

#include "app/camera.h"
#include "app/config.h"
#include "platform/platform.h"

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
    switch (input.currentScreen) {
    case Playing: input.currentScreen = MainMenu; break;
    case MainMenu: input.currentScreen = Playing; break;
    case Credits: input.currentScreen = MainMenu; break;
    default: break;
    }
}

void processInput()
{
    applyEscape(keyDown(VK_ESCAPE));

    const bool playing = input.currentScreen == Playing;
    setMouseLookCapture(playing);
    if (!playing)
        return;
    if (keyDown('W'))
        moveCamera(playerCamera, 50.0f);
    if (keyDown('S'))
        moveCamera(playerCamera, -50.0f);
    if (keyDown('D'))
        strafeCamera(playerCamera, 50.0f);
    if (keyDown('A'))
        strafeCamera(playerCamera, -50.0f);
    mouseLook(playerCamera, config.windowWidth, config.windowHeight);
}
