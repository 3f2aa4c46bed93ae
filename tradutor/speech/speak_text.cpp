// Speaking free text: through the speech server when one is active, else
// walked run by run: numbers from recorded number words, words through the
// native synthesizer, punctuation as letter recordings followed by pauses.
#include "console/console.h"
#include "tradutor/diphone/native_voice.h"
#include "tradutor/servers/server.h"
#include "tradutor/speech/facade_state.h"
#include "tradutor/speech/numbers.h"
#include "tradutor/speech/speech.h"

#include <string_view>

namespace speech {
namespace {

using detail::facade;

constexpr size_t MaxNumberDigits = 6; // longer digit runs are spelled
constexpr size_t MaxTranslatedLength = 999;
constexpr int MaxRepeats = 3; // a mark repeated more often is heard as clicks

bool isDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

bool isLetter(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 128;
}

bool isLetterOrBlank(uint8_t c) {
    return isLetter(c) || c == ' ';
}

bool isDigitOrMinus(uint8_t c) {
    return isDigit(c) || c == '-';
}

// A text on its way through the native path: what is left of it, and the
// repetition state of its punctuation.
struct TextWalk {
    std::string_view rest;
    uint8_t lastMark = ' ';
    int repeats = 0;

    uint8_t front() const { return static_cast<uint8_t>(rest.front()); }
    uint8_t at(size_t i) const { return static_cast<uint8_t>(rest[i]); }

    // Takes the longest run of characters that satisfy `belongs` from the front.
    template <typename Belongs> std::string takeRun(Belongs belongs) {
        size_t length = 0;
        while (length < rest.size() && belongs(at(length)))
            ++length;
        std::string run(rest.substr(0, length));
        rest.remove_prefix(length);
        return run;
    }
};

void speakDigits(const std::string &run) {
    if (run.find('-') != std::string::npos || run.size() > MaxNumberDigits) {
        spellText(run);
        return;
    }
    numbers::speakNumberWords(numbers::numberToWords(static_cast<uint32_t>(std::stoul(run))));
}

void speakLetters(const std::string &run) {
    if (upperLatin1(run) == "WWW") {
        spellText(run);
        return;
    }
    diphone::speakPhonemes(diphone::translateText(run.substr(0, MaxTranslatedLength)), false);
}

// A "-" at the front: a dash, a minus sign before a number, or a hyphen.
void speakDash(const TextWalk &walk) {
    const uint8_t next = walk.rest.size() <= 2 ? ' ' : walk.at(1);
    if (next == ' ' || next == '-')
        speakPunctuation(std::string(walk.rest.substr(0, 2)));
    else if (isDigit(next))
        speakMessage("_MENOS");
    else
        speakChar('-');
}

// Punctuation, symbols and control characters: one character of the walk.
void speakMark(TextWalk &walk) {
    uint8_t c = walk.front();
    if (c == walk.lastMark) {
        if (++walk.repeats > MaxRepeats) {
            playClick();
            c = ' ';
        }
    } else {
        walk.repeats = 0;
        walk.lastMark = c;
    }
    // These two look at the text itself, so they apply to a mark turned into clicks too.
    if (walk.front() == '-') {
        speakDash(walk);
    } else if (walk.rest.starts_with("://")) {
        speakChar(':');
    } else {
        switch (c) {
        case '(':
        case ')':
        case ',':
        case '.':
        case ':':
        case ';':
            speakPunctuation(std::string(walk.rest.substr(0, 2)));
            break;
        case ' ':
        case '\t':
            break;
        default:
            if (!console::keyPressed())
                speakChar(c);
        }
    }
    walk.rest.remove_prefix(1);
}

// False when the server went away with the text: the native voice reads
// it instead (and every later one, once the server is gone for good).
bool speakThroughServer(const std::string &text) {
    waitWhileSpeaking();
    if (console::keyPressed())
        return true;
    if (!servers::serverSpeak(text))
        return false;
    facade().serverWait = true;
    return true;
}

int32_t pauseAfter(uint8_t mark, bool blankFollows) {
    const auto &s = facade();
    switch (mark) {
    case '(':
    case ')':
    case ':':
    case ';':
        return s.pauseColon;
    case ',':
    case '-':
        return blankFollows ? s.pauseComma : 0;
    case '.':
        return blankFollows ? s.pauseFullStop : 0;
    default:
        return 0;
    }
}

} // namespace

std::string upperLatin1(const std::string &text) {
    std::string upper = text;
    for (char &c : upper) {
        const auto byte = static_cast<uint8_t>(c);
        if ((byte >= 'a' && byte <= 'z') || byte >= 224)
            c = static_cast<char>(byte - 32);
    }
    return upper;
}

void speakPunctuation(const std::string &text) {
    if (text.empty() || console::keyPressed())
        return;
    waitWhileSpeaking();
    const auto mark = static_cast<uint8_t>(text[0]);
    speakChar(mark);
    pauseMs(pauseAfter(mark, text.size() > 1 && text[1] == ' '));
}

void speakText(const std::string &text) {
    auto &s = facade();
    if (s.serverActive && speakThroughServer(text))
        return;
    const std::string padded = text + " ";
    TextWalk walk{padded};
    s.stopped = false;
    while (!s.stopped && !walk.rest.empty()) {
        if (console::keyPressed()) {
            stopSpeech();
            return;
        }
        // The appended blank ends every run of zeros.
        while (walk.front() == '0') {
            speakMessage("_zero");
            walk.rest.remove_prefix(1);
        }
        const uint8_t c = walk.front();
        if (c >= '1' && c <= '9') {
            speakDigits(walk.takeRun(isDigitOrMinus));
        } else if (isLetterOrBlank(c)) {
            speakLetters(walk.takeRun(isLetterOrBlank));
            // A hyphenated word goes on as the next run.
            if (walk.rest.size() > 1 && walk.front() == '-' && isLetter(walk.at(1)))
                walk.rest.remove_prefix(1);
        } else {
            speakMark(walk);
        }
    }
}

} // namespace speech
