// The game's options beyond the classic game, keys of section GALDRINO of
// ZEBUNA.INI; each is off unless its value starts with S.
#pragma once

namespace game {

struct Options {
    bool help = false;    // AJUDA: F1 lists the keys, Tab and each miss tell the misses left
    bool score = false;   // PLACAR: the words found so far, after each round
    bool accents = false; // ACENTOS: words with accents, hyphens, blanks, comments, categories
};

Options readOptions();

} // namespace game
