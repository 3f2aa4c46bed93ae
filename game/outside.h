// The operations the game needs from the console window and the speech
// layer. The game reaches the rest of the system only through these.
#pragma once

#include "console/console.h"
#include "tradutor/speech/numbers.h"
#include "tradutor/speech/speech.h"

namespace game {

using console::clearEol;
using console::clearScreen;
using console::delayMs;
using console::doneConsole;
using console::gotoXY;
using console::hidePicture;
using console::keyPressed;
using console::loadPicture;
using console::readKey;
using console::setExitCode;
using console::setTitle;
using console::setWindow;
using console::showPicture;
using console::textBackground;
using console::whereX;
using console::whereY;
using speech::doneSpeech;
using speech::initSpeech;
using speech::isSpeaking;
using speech::readConfig;
using speech::speakChar;
using speech::speakMessage;
using speech::speakText;

// Plain text output to the console window, with and without a line end.
inline void print(const std::string &text) {
    console::write(text);
}
inline void printLine(const std::string &text = "") {
    console::writeLine(text);
}

// A number read aloud from the recorded number words, in the gender of what
// it counts.
enum class Gender { Masculine, Feminine };
inline void speakNumber(uint32_t n, Gender gender = Gender::Masculine) {
    const std::string words = numbers::numberToWords(n);
    numbers::speakNumberWords(gender == Gender::Feminine ? numbers::feminineWords(words) : words);
}

// Waits while speech is sounding; a pending key ends the wait at once.
inline void waitForSpeech() {
    speech::waitWhileSpeaking();
}

} // namespace game
