#include "tools/mbrvoice/logatomes.h"

namespace mbrvoice {
namespace {

struct Item {
    std::string mnemonic;
    bool vowel = false;
    bool stressed = false;
};

bool isVowel(const Phone &p) {
    return p.kind == PhoneClass::Vowel;
}

Item frameVowel(int variant) {
    return {variant == 0 ? "a" : "e", true};
}
Item frameConsonant(int variant) {
    return {variant == 0 ? "p" : "t", false};
}

// Before the pair: a consonant before a vowel, a vowel before anything else
// but a pause. After it: a consonant and a vowel after a vowel, a vowel after
// a consonant.
void leftFrame(const Phone &first, int variant, std::vector<Item> &items) {
    if (first.kind != PhoneClass::Silence) {
        items.push_back(isVowel(first) ? frameConsonant(variant) : frameVowel(variant));
    }
}

void rightFrame(const Phone &second, int variant, std::vector<Item> &items) {
    if (second.kind == PhoneClass::Silence) {
        return;
    }
    if (isVowel(second)) {
        items.push_back(frameConsonant(variant));
    }
    items.push_back(frameVowel(variant));
}

// The pair's own vowel carries the stress when it has one, else the frame's.
void placeStress(std::vector<Item> &items, size_t first) {
    for (const size_t at : {first, first + 1}) {
        if (items[at].vowel) {
            items[at].stressed = true;
            return;
        }
    }
    for (auto &item : items) {
        if (item.vowel) {
            item.stressed = true;
            return;
        }
    }
}

} // namespace

Logatome logatomeFor(const Phone &first, const Phone &second, int variant) {
    std::vector<Item> items;
    leftFrame(first, variant, items);
    Logatome logatome;
    logatome.first = items.size();
    items.push_back({mnemonicBefore(first, second), isVowel(first)});
    items.push_back({second.mnemonic, isVowel(second)});
    rightFrame(second, variant, items);
    placeStress(items, logatome.first);
    for (const Item &item : items) {
        // "_|" would read as one of espeak-ng's own pause mnemonics.
        if (!logatome.text.empty() && logatome.text != "_") {
            logatome.text += "|";
        }
        logatome.text += (item.stressed ? "'" : "") + item.mnemonic;
        logatome.phonemes.push_back(item.mnemonic);
    }
    return logatome;
}

} // namespace mbrvoice
