#include "ui/menubutton.h"

#include "render/capabilities.h"
#include "render/opengl.h"
#include "render/overlay.h"

MenuButtons menuButtons;

void initMenuButton(MenuButton& button, int left, int bottom, int width, int height, unsigned idleTexture,
                    unsigned hoverTexture, unsigned pressedTexture)
{
    button.topLeft = {left, bottom + height};
    button.topRight = {left + width, bottom + height};
    button.bottomRight = {left + width, bottom};
    button.bottomLeft = {left, bottom};
    button.textures[0] = idleTexture;
    button.textures[1] = hoverTexture;
    button.textures[2] = pressedTexture;
}

void drawMenuButton(const MenuButton& button)
{
    pushOverlayProjection();
    multitexture.glActiveTexture(GL_TEXTURE0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    const int state = (button.state >= 0 && button.state <= 2) ? button.state : 0;
    glBindTexture(GL_TEXTURE_2D, button.textures[state]);
    glColor3ub(255, 255, 255);

    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(button.topLeft.x, button.topLeft.y);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2i(button.topRight.x, button.topRight.y);
    glTexCoord2f(1.0f, -1.0f);
    glVertex2i(button.bottomRight.x, button.bottomRight.y);
    glTexCoord2f(0.0f, -1.0f);
    glVertex2i(button.bottomLeft.x, button.bottomLeft.y);
    glEnd();

    glDisable(GL_TEXTURE_2D);
    popOverlayProjection();
}

int menuButtonState(const MenuButton& button, float mouseX, float mouseY, bool leftButtonDown,
                    int windowHeight)
{
    const float y = static_cast<float>(windowHeight) - mouseY;
    const bool over = static_cast<float>(button.topLeft.x) < mouseX &&
                      mouseX < static_cast<float>(button.topRight.x) &&
                      static_cast<float>(button.bottomRight.y) < y &&
                      y < static_cast<float>(button.topRight.y);
    if (!over)
        return ButtonIdle;
    return leftButtonDown ? ButtonPressed : ButtonHover;
}

void updateMenuButton(MenuButton& button, const MouseState& mouse)
{
    button.state = menuButtonState(button, mouse.mouseX, mouse.mouseY, mouse.leftButtonDown, overlayArea.height);
}
