// The voice's phoneme set, as the speech engine's rules name it, and how
// each phoneme is asked of espeak-ng's Brazilian voice.
#pragma once

#include <string>
#include <vector>

namespace mbrvoice {

enum class PhoneClass { Silence, Vowel, Glide, Consonant };

struct Phone {
    std::string name;     // our name
    std::string mnemonic; // espeak-ng's phoneme mnemonic
    PhoneClass kind;
};

const std::vector<Phone> &phoneSet();

// The mnemonic for `first` when `second` follows: "t" and "d" before an i
// sound are the affricates.
std::string mnemonicBefore(const Phone &first, const Phone &second);

} // namespace mbrvoice
