// One round of hangman for one word, played by ear.
#pragma once

#include "game/options.h"

#include <string>

namespace game {

enum class RoundEnd { Won, Hanged, GaveUp };

// Plays one round; returns when the word is found, the figure is hanged or
// the player gives up with ESC. Of the options, the round follows AJUDA
// (F1, Tab and the misses left) and ACENTOS (accented keys and words).
RoundEnd playRound(const std::string &word, const Options &options = {});

// AJUDA: the keys of the round and of the play-again question.
void sayHelp();

} // namespace game
