// The SDL2 backend: message boxes as real dialogs with Windows keyboard
// habits, or answered by the tests' responder.
#include "platform/sdl/sdl_state.h"

#include <cstdio>
#include <cstring>

namespace {

const char* iconWord(unsigned type)
{
    switch (type & 0xF0) {
    case MB_ICONSTOP: return "error";
    case MB_ICONQUESTION: return "question";
    case MB_ICONEXCLAMATION: return "warning";
    case MB_ICONINFORMATION: return "information";
    default: return "message";
    }
}

}  // namespace

// ---- Message boxes ------------------------------------------------------

void setMessageBoxResponder(MessageBoxResponder responder)
{
    sdl.responder = std::move(responder);
}

int showMessageBox(const std::string& text, const std::string& caption, unsigned type, BoxOwner owner)
{
    return showMessageBox(MessageBoxRequest{text, caption, type, owner});
}

int showMessageBox(const MessageBoxRequest& request)
{
    if (sdl.responder)
        return sdl.responder(request);

    const bool yesNo = (request.type & 0x0F) == MB_YESNO;
    const int firstAnswer = yesNo ? IDYES : IDOK;

    Uint32 flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    switch (request.type & 0xF0) {
    case MB_ICONSTOP: flags |= SDL_MESSAGEBOX_ERROR; break;
    case MB_ICONEXCLAMATION: flags |= SDL_MESSAGEBOX_WARNING; break;
    default: flags |= SDL_MESSAGEBOX_INFORMATION; break;
    }
    SDL_MessageBoxButtonData buttons[2];
    int buttonCount = 0;
    if (yesNo) {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
        buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
        buttonCount = 2;
    } else {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                      IDOK, "OK"};
        buttonCount = 1;
    }
    const std::string text = windows1250ToUtf8(request.text);
    const std::string caption = windows1250ToUtf8(request.caption);
    SDL_MessageBoxData data = {};
    data.flags = flags;
    // The box is not made a child of the game window: SDL's X11 dialog reads
    // through a null pointer when given a parent after the window has been
    // remade for multisampling. The owner only placed the box anyway.
    data.window = nullptr;
    data.title = caption.c_str();
    data.message = text.c_str();
    data.numbuttons = buttonCount;
    data.buttons = buttons;

    int answer = 0;
    if (SDL_ShowMessageBox(&data, &answer) == 0 && answer != -1)
        return answer;
    if (answer == -1)
        return buttons[buttonCount - 1].buttonid;  // closed without a choice: as Escape
    std::fprintf(stderr, "[%s] %s: %s\n", iconWord(request.type), caption.c_str(), text.c_str());
    return firstAnswer;
}

