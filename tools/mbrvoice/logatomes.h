// The nonsense words the units are cut from: the pair in a neutral frame,
// one vowel stressed, every phoneme separated so that espeak-ng reads each
// mnemonic on its own.
#pragma once

#include "tools/mbrvoice/phone_set.h"

#include <string>
#include <vector>

namespace mbrvoice {

struct Logatome {
    std::string text;                  // for espeak-ng, between [[ and ]]
    std::vector<std::string> phonemes; // the mnemonics in order, as events name them
    size_t first = 0;                  // index of the pair's first phoneme
};

// variant 0 is the usual frame; higher variants try other neighbours when
// espeak-ng's events do not match the first.
Logatome logatomeFor(const Phone &first, const Phone &second, int variant);
inline constexpr int kLogatomeVariants = 2;

} // namespace mbrvoice
