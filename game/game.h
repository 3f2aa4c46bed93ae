// The game's main procedure: settings, word list, random draw, play loop.
#pragma once

#include <cstdint>
#include <string>

namespace game {

constexpr int32_t WordTableSize = 500;
constexpr size_t MaxWordLength = 40;

// Start-up, then rounds until the player answers N, then shutdown. Ends the
// program (through the console) and never returns.
[[noreturn]] void runGame();

// The word list's path as the game reads it from ZEBUNA.INI: ARQPALAVRAS
// of section GALDRINO, or else DIRQUIBO2 (c:\talvek\som\quibo2\ by
// default) followed by galdrino.pal.
std::string configuredWordListPath();

// Steps of the main procedure, exposed for tests.
void gameStart();
void loadWordList(const std::string &path);
int32_t wordCount();
const std::string &wordAt(int32_t index);
int32_t randomBelow(int32_t n);
int32_t pickWord();
void clearUsedFlags();

} // namespace game
