#include "game/round.h"

#include "game/gallows.h"
#include "game/messages.h"
#include "game/outside.h"

#include <array>

namespace game {

namespace {

constexpr uint8_t Enter = 13, Escape = 27, Space = 32, ExtendedPrefix = 0;
constexpr int32_t HangingMiss = 8;
constexpr int MaxWordLength = 40;

// The body-part message announced after each miss, by miss count.
constexpr const char *BodyPartMessages[HangingMiss] = {
    nullptr, "GDCABECA", "GDPESCOC", "GDTRONCO", "GDBRADIR", "GDBRAESQ", "GDPERDIR", "GDPERESQ"};

struct RoundState {
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

void onMiss() {
    ++round.missCount;
    sayMessage(round.missCount >= HangingMiss ? "GDREQIEN" : "GDTCHEN");
    drawGallows(round.missCount);
    if (round.missCount >= HangingMiss)
        round.hanged = true;
    else
        sayMessage(BodyPartMessages[round.missCount]);
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

// Enter, space or an extended key: the letters tried so far, in order.
void repeatTriedLetters() {
    printLine();
    sayMessage("GDREPETE");
    for (uint8_t letter = 'A'; letter <= 'Z'; ++letter) {
        if (!round.tried[letter - 'A'])
            continue;
        print(charText(letter));
        speakLetter(letter);
    }
    printLine();
    delayMs(3000);
}

void judgeLetter(uint8_t letter) {
    if (round.tried[letter - 'A']) {
        sayMessage("GDLETREP");
        return;
    }
    round.tried[letter - 'A'] = true;
    bool missed = true;
    for (size_t i = 0; i < round.word.size(); ++i)
        if (static_cast<uint8_t>(round.word[i]) == letter) {
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
    const uint8_t key = upperAscii(readKey());
    if (key == Enter || key == Space || key == ExtendedPrefix) {
        if (key == ExtendedPrefix)
            readKey();
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
    if (key < 'A' || key > 'Z')
        sayMessage("GDSOALFA");
    else
        judgeLetter(key);
    return true;
}

} // namespace

void playRound(const std::string &word) {
    round = RoundState{};
    round.word = word.substr(0, MaxWordLength);
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
            return;
        }
        if (!askLetter())
            return;
    } while (!round.hanged);
    printLine();
    sayMessage("GDENFORC");
    revealWord();
}

} // namespace game
