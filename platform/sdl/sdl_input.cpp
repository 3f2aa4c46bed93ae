// Keyboard and mouse events turned into the messages Windows would deliver.
// A printable key gives its character through SDL's text input only (dead
// keys and input methods included); the control characters Windows makes
// by itself are made here from the key press.
#include "platform/sdl/keymap.h"
#include "platform/sdl/sdl_internal.h"

#include <algorithm>

namespace sdl_backend {

namespace {

struct InputState {
    // SDL's modifiers at the last key press: text input that follows it
    // belongs to that press.
    uint16_t lastKeyModifiers = 0;
};

InputState state;

platform::Message message(platform::Msg kind, uint32_t code, uint8_t modifiers) {
    platform::Message msg;
    msg.kind = kind;
    msg.code = code;
    msg.modifiers = modifiers;
    return msg;
}

void keyDown(const SDL_KeyboardEvent &key) {
    state.lastKeyModifiers = key.keysym.mod;
    const uint8_t virtualKey =
        virtualKeyFromSdl(key.keysym.sym, key.keysym.scancode, key.keysym.mod);
    if (virtualKey == 0)
        return;
    const uint8_t modifiers = modifiersFromSdl(key.keysym.mod);
    const platform::Msg kind =
        isSystemKey(modifiers) ? platform::Msg::SysKeyDown : platform::Msg::KeyDown;
    queueMessage(message(kind, virtualKey, modifiers));
    if (const uint8_t control = controlCharForKey(virtualKey, modifiers))
        queueMessage(message(platform::Msg::Char, control, modifiers));
}

void keyUp(const SDL_KeyboardEvent &key) {
    const uint8_t virtualKey =
        virtualKeyFromSdl(key.keysym.sym, key.keysym.scancode, key.keysym.mod);
    if (virtualKey != 0)
        queueMessage(message(platform::Msg::KeyUp, virtualKey, modifiersFromSdl(key.keysym.mod)));
}

void textInput(const SDL_TextInputEvent &text) {
    if (!textAllowedWith(state.lastKeyModifiers))
        return;
    const uint8_t modifiers = modifiersFromSdl(static_cast<uint16_t>(SDL_GetModState()));
    for (const char byte : typedCharacters(text.text))
        queueMessage(message(platform::Msg::Char, static_cast<uint8_t>(byte), modifiers));
}

void mouseButton(const SDL_MouseButtonEvent &button) {
    if (button.button != SDL_BUTTON_RIGHT)
        return;
    platform::Message msg = message(button.type == SDL_MOUSEBUTTONDOWN ? platform::Msg::RButtonDown
                                                                       : platform::Msg::RButtonUp,
                                    0, modifiersFromSdl(static_cast<uint16_t>(SDL_GetModState())));
    msg.x = std::max(button.x, 0);
    msg.y = std::max(button.y, 0);
    queueMessage(msg);
}

void mouseMotion(const SDL_MouseMotionEvent &motion) {
    // Windows reports movement over the client area only (nobody captures
    // the mouse here).
    if (!clientContains(motion.x, motion.y))
        return;
    platform::Message msg = message(platform::Msg::MouseMove, 0,
                                    modifiersFromSdl(static_cast<uint16_t>(SDL_GetModState())));
    msg.x = motion.x;
    msg.y = motion.y;
    queueMessage(msg);
}

} // namespace

void handleInputEvent(const SDL_Event &event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        keyDown(event.key);
        break;
    case SDL_KEYUP:
        keyUp(event.key);
        break;
    case SDL_TEXTINPUT:
        textInput(event.text);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        mouseButton(event.button);
        break;
    case SDL_MOUSEMOTION:
        mouseMotion(event.motion);
        break;
    default:
        break;
    }
}

} // namespace sdl_backend
