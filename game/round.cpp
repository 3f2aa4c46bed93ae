#include "game/round.h"

#include "game/gallows.h"
#include "game/letters.h"
#include "game/messages.h"
#include "game/outside.h"

#include <array>

namespace game {

namespace {

constexpr uint8_t Tab = 9, Enter = 13, Escape = 27, Space = 32, ExtendedPrefix = 0;
constexpr uint8_t F1Code = 59; // the extended code that follows the prefix
constexpr int32_t HangingMiss = 8;
constexpr int MaxWordLength = 40;

// The body-part message announced after each miss, by miss count.
constexpr const char *BodyPartMessages[HangingMiss] = {
    nullptr, "GDCABECA", "GDPESCOC", "GDTRONCO", "GDBRADIR", "GDBRAESQ", "GDPERDIR", "GDPERESQ"};

struct RoundState {
    Options options;
    std::string word;
    std::array<bool, 26> tried{};
    std::array<bool, MaxWordLength> revealed{};
    bool won = false;
    bool hanged = false;
    int32_t missCount = 0;
};

RoundState round;

uint8_t upperAscii(uint8_t c) {
    return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 32) : c;
}

std::string charText(uint8_t c) {
    return std::string(1, static_cast<char>(c));
}

void dropPendingKey() {
    if (keyPressed())
        readKey();
}

void discardPendingKeys() {
    while (keyPressed())
        readKey();
}

void speakLetter(uint8_t letter) {
    speakChar(letter);
    waitForSpeech();
    delayMs(200);
}

// Presents the word once: found letters spoken, hidden ones a plim and a dot.
void showWord() {
    delayMs(500);
    round.won = true;
    for (size_t i = 0; i < round.word.size(); ++i) {
        if (round.revealed[i]) {
            const auto letter = static_cast<uint8_t>(round.word[i]);
            print(charText(letter));
            speakChar(letter);
            waitForSpeech();
            delayMs(800);
            dropPendingKey();
        } else {
            sayMessage("GDPLIM");
            print(".");
            delayMs(800);
            dropPendingKey();
            round.won = false;
        }
    }
}

// AJUDA: how many more misses the player may make before being hanged.
void sayMissesLeft() {
    sayMessage("GDRESTAM");
    const auto left = static_cast<uint32_t>(HangingMiss - 1 - round.missCount);
    printLine(std::to_string(left));
    speakNumber(left);
}

void onMiss() {
    ++round.missCount;
    sayMessage(round.missCount >= HangingMiss ? "GDREQIEN" : "GDTCHEN");
    drawGallows(round.missCount);
    if (round.missCount >= HangingMiss) {
        round.hanged = true;
        return;
    }
    sayMessage(BodyPartMessages[round.missCount]);
    if (round.options.help)
        sayMissesLeft();
}

void spellWord() {
    for (const char letter : round.word)
        speakLetter(static_cast<uint8_t>(letter));
}

// The end of a lost round: the word is spelled, printed and read.
void revealWord() {
    sayMessage("GDERA");
    spellWord();
    printLine(round.word);
    speakText(round.word);
}

// The letters tried so far, in alphabetical order, on one line.
void sayTriedLetters() {
    for (uint8_t letter = 'A'; letter <= 'Z'; ++letter) {
        if (!round.tried[letter - 'A'])
            continue;
        print(charText(letter));
        speakLetter(letter);
    }
    printLine();
}

// Enter, space or an extended key: the letters tried so far.
void repeatTriedLetters() {
    printLine();
    sayMessage("GDREPETE");
    sayTriedLetters();
    delayMs(3000);
}

// AJUDA's Tab: the misses left, then the letters tried.
void sayStatus() {
    printLine();
    sayMissesLeft();
    sayMessage("GDTENTAD");
    sayTriedLetters();
}

// The letter a key tries: A..Z, and with ACENTOS an accented letter counts
// as its plain one. 0 for a key that is no letter.
uint8_t triedLetter(uint8_t key) {
    if (round.options.accents)
        return plainLetter(key);
    return key >= 'A' && key <= 'Z' ? key : 0;
}

void judgeLetter(uint8_t letter) {
    if (round.tried[letter - 'A']) {
        sayMessage("GDLETREP");
        return;
    }
    round.tried[letter - 'A'] = true;
    bool missed = true;
    // A plain letter finds its accented forms too.
    for (size_t i = 0; i < round.word.size(); ++i)
        if (plainLetter(static_cast<uint8_t>(round.word[i])) == letter) {
            round.revealed[i] = true;
            missed = false;
        }
    if (missed)
        onMiss();
}

// Asks for one letter and answers it. Returns false when the player gave up.
bool askLetter() {
    delayMs(400);
    discardPendingKeys();
    sayMessage("GDQUELET");
    const uint8_t typed = readKey();
    const uint8_t key = round.options.accents ? upperLetter(typed) : upperAscii(typed);
    // An extended key's code follows its prefix; with AJUDA, F1 is the help.
    if (key == ExtendedPrefix && readKey() == F1Code && round.options.help) {
        printLine();
        sayHelp();
        return true;
    }
    if (key == Tab && round.options.help) {
        sayStatus();
        return true;
    }
    if (key == Enter || key == Space || key == ExtendedPrefix) {
        repeatTriedLetters();
        return true;
    }
    printLine(charText(key));
    speakLetter(key);
    if (key == Escape) {
        printLine();
        sayMessage("GDDESIS");
        revealWord();
        return false;
    }
    if (const uint8_t letter = triedLetter(key); letter != 0)
        judgeLetter(letter);
    else
        sayMessage("GDSOALFA");
    return true;
}

} // namespace

void sayHelp() {
    for (const char *key :
         {"GDAJUDA", "GDAJLETR", "GDAJREPE", "GDAJTAB", "GDAJESC", "GDAJF1", "GDAJNOVO"})
        sayMessage(key);
}

RoundEnd playRound(const std::string &word, const Options &options) {
    round = RoundState{};
    round.options = options;
    round.word = word.substr(0, MaxWordLength);
    // A hyphen or a blank of an accented word is shown from the start.
    for (size_t i = 0; i < round.word.size(); ++i)
        round.revealed[i] = plainLetter(static_cast<uint8_t>(round.word[i])) == 0;
    drawGallows(0);
    printLine();
    do {
        showWord();
        if (round.won) {
            printLine();
            sayMessage("GDPARABE");
            sayMessage("GDERA");
            printLine(round.word);
            speakText(round.word);
            return RoundEnd::Won;
        }
        if (!askLetter())
            return RoundEnd::GaveUp;
    } while (!round.hanged);
    printLine();
    sayMessage("GDENFORC");
    revealWord();
    return RoundEnd::Hanged;
}

} // namespace game
