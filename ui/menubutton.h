// Picture buttons of the main menu: a textured rectangle in window pixels
// (origin bottom left) whose state follows the mouse.
#pragma once

// The mouse as the window last reported it: client-area pixels from the top
// left, and whether the left button is held. The window code hands it down
// with every frame.
struct MouseState {
    float mouseX = 0.0f;
    float mouseY = 0.0f;
    bool leftButtonDown = false;
};

struct ButtonCorner {
    int x = 0;
    int y = 0;
};

enum ButtonState : int { ButtonIdle = 0, ButtonHover = 1, ButtonPressed = 2 };

struct MenuButton {
    ButtonCorner topLeft;
    ButtonCorner topRight;
    ButtonCorner bottomRight;
    ButtonCorner bottomLeft;
    unsigned textures[3] = {};  // idle, hover, pressed
    int state = ButtonIdle;
};

struct MenuButtons {
    MenuButton newGameButton;
    MenuButton authorsButton;
    MenuButton quitButton;
};

extern MenuButtons menuButtons;

// Fills the corners and the three textures; the state is left as it is.
void initMenuButton(MenuButton& button, int left, int bottom, int width, int height, unsigned idleTexture,
                    unsigned hoverTexture, unsigned pressedTexture);
// Draws the button with the picture of its current state.
void drawMenuButton(const MenuButton& button);
// Sets the state from the mouse: over the button (strictly inside) it is
// pressed while the left button is held, else hovered; elsewhere idle.
void updateMenuButton(MenuButton& button, const MouseState& mouse);
// The same test with the mouse given: x from the left, y from the top of a
// window whose overlay grid is windowHeight high.
int menuButtonState(const MenuButton& button, float mouseX, float mouseY, bool leftButtonDown,
                    int windowHeight);
