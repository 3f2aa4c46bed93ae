// One round of hangman for one word, played by ear.
#pragma once

#include <string>

namespace game {

// Plays one round; returns when the word is found, the figure is hanged or
// the player gives up with ESC.
void playRound(const std::string &word);

} // namespace game
