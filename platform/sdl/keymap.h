// Translation of SDL keys into what Windows delivers for them: virtual-key
// codes, the modifier state, whether the press is a system key and the
// control characters Windows produces by itself. Pure functions.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

namespace sdl_backend {

// The virtual-key code of a key; 0 for keys without one. Letters and digits
// follow the layout (the key's symbol) and fall back to the key's position,
// as Windows does on non-Latin layouts; punctuation keys follow the position.
// The keypad gives number codes with Num Lock on and the navigation codes
// with it off; Pause with Ctrl is Cancel (Ctrl+Break).
uint8_t virtualKeyFromSdl(SDL_Keycode key, SDL_Scancode position, uint16_t sdlModifiers);

// platform::Modifier bits of SDL's modifier state. AltGr (the mode key) is no
// modifier here: it only selects the characters that text input delivers.
uint8_t modifiersFromSdl(uint16_t sdlModifiers);

// WM_SYSKEYDOWN instead of WM_KEYDOWN: Alt held without Ctrl. (Windows also
// makes F10 a system key; here F10 stays an ordinary key so that the
// console's extended-key table can give its code.)
bool isSystemKey(uint8_t modifiers);

// The character message Windows makes from a key press without text input:
// Esc 27, Enter 13 (Ctrl: 10), Backspace 8 (Ctrl: 127), Tab 9, Ctrl+letter
// 1..26, Ctrl+Space 32. 0 when the key makes none here (printable characters
// come from text input; with Alt held Windows sends no character message).
uint8_t controlCharForKey(uint8_t virtualKey, uint8_t modifiers);

// Whether typed text belongs to a key press made with these SDL modifiers:
// with Ctrl or the left Alt held Windows delivers no character message.
bool textAllowedWith(uint16_t sdlModifiers);

// The character messages of typed UTF-8 text: its Windows-1252 bytes, without
// the characters the code page lacks and without control characters (those
// come from the key presses themselves).
std::string typedCharacters(const std::string &utf8);

} // namespace sdl_backend
