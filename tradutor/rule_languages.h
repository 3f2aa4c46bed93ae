// The two rule languages: what each context symbol and letter class means,
// on each side of a rule's centre, for the native voice's regras.rgr (rgr)
// and the built-in engine's portug.nrl (nrl). The engine that reads them is
// tradutor/rule_matcher.h.
//
// A rule is  left "(" centre ")" right "=" output. The centre is compared
// letter by letter with the word (upper-cased A..Z); the left context is read
// from its last character leftwards, starting at the letter before the
// centre, and the right context from its first character rightwards,
// starting at the letter after the centre. A character that is not a symbol
// of its side is a letter that must stand there (so "]" in a right context
// is the character "]", which no word holds).
//
//   symbol side   rgr                             nrl
//   #      both   a run of vowels and accent      one vowel
//                 marks
//   %      both   beyond the word's end: nothing  the same
//                 is read
//   ]      left   a, o with its accent mark       a, o, á, â, ó, ô
//   _      left   the word's start, or a vowel    the word's start, or a vowel
//                 with its accent mark
//   |      left   n, r or s                       the same
//   &      right  l, m, n, r or z                 the same
//   *      right  a consonant other than l and    the same, ç and ñ being
//                 r, looked at but not read past  consonants too
//   +      right  e or i with its accent mark     e, i, é, í
//   [      right  the word's end, or a consonant  the same, ç and ñ being
//                 other than h, not read past     consonants too
//   \      right  an s if there is one            the same, S or s
//
// The native translator's words are lower case (a stressed vowel upper case)
// with accents written as marks after their vowel (' ^ ` ~ "); the engine's
// are upper-cased Windows-1252 with accented letters. Letter classes take
// both cases. Examples, in the word "cantam" (rgr) or "CANTAM" (nrl):
//   (AN)[    matches at "an": t is a consonant, not read past
//   (AM)%    matches at the last "am": the word ends after it
//   _(C)     matches at "c": the word starts before it
//   T(A)&    matches at the second "a": m is one of l m n r z
//   #(M)%    matches at the final "m": a vowel before it, the end after it
// Where the languages differ: (S)#% matches "saia" in rgr (# takes "aia")
// but not "SAIA" in nrl (# takes "A", and "I" is not the end); ](O) matches
// "ma~o" in rgr (the mark goes with its a) but not "MÃO" in nrl (Ã is not a
// back vowel).
#pragma once

#include "platform/cp1252_literal.h"
#include "tradutor/rule_matcher.h"

#include <array>

namespace rule_matcher {

// Matches only where no letter is: with matchesBeyondWord, the word's edge.
inline constexpr LetterClass NoLetter{""};
inline constexpr LetterClass LettersNRS{"NRSnrs"};
inline constexpr LetterClass LettersLMNRZ{"LMNRZlmnrz"};

namespace rgr {

inline constexpr LetterClass Vowels{"AEIOUaeiou"};
inline constexpr LetterClass AccentMarks{"'^`~\""};
inline constexpr LetterClass VowelsAndMarks{"AEIOUaeiou'^`~\""};
inline constexpr LetterClass BackVowels{"AOao"};
inline constexpr LetterClass FrontVowels{"EIei"};
inline constexpr LetterClass ConsonantsButLR{"BCDFGHJKMNPQSTVWXYZbcdfghjkmnpqstvwxyz"};
inline constexpr LetterClass ConsonantsButH{"BCDFGJKLMNPQRSTVWXYZbcdfgjklmnpqrstvwxyz"};
inline constexpr LetterClass SmallS{"s"};

inline constexpr std::array<SymbolMeaning, 5> Left{{
    {'#', &VowelsAndMarks, nullptr, Take::Run, false},
    {'%', &NoLetter, nullptr, Take::Look, true},
    {']', &BackVowels, &AccentMarks, Take::One, false},
    {'_', &Vowels, &AccentMarks, Take::One, true},
    {'|', &LettersNRS, nullptr, Take::One, false},
}};

inline constexpr std::array<SymbolMeaning, 7> Right{{
    {'#', &VowelsAndMarks, nullptr, Take::Run, false},
    {'%', &NoLetter, nullptr, Take::Look, true},
    {'&', &LettersLMNRZ, nullptr, Take::One, false},
    {'*', &ConsonantsButLR, nullptr, Take::Look, false},
    {'+', &FrontVowels, &AccentMarks, Take::One, false},
    {'[', &ConsonantsButH, nullptr, Take::Look, true},
    {'\\', &SmallS, nullptr, Take::OneIfAny, true},
}};

inline constexpr Language language{Left, Right};

} // namespace rgr

namespace nrl {

// The classes hold Windows-1252 bytes, written here as the letters they are.
using namespace platform::literals;

inline constexpr LetterClass Vowels{"AEIOUaeiou"
                                    "ÀÁÂÃÉÊÌÍÓÔÕÙÚÜ"
                                    "àáâãéêìíóôõùúü"_cp1252};
inline constexpr LetterClass BackVowels{"AOaoÁÂÓÔáâóô"_cp1252};
inline constexpr LetterClass FrontVowels{"EIeiÉÍéí"_cp1252};
// B..Z but the vowels, Ç Ñ, both cases; without L and R, or without H.
inline constexpr LetterClass ConsonantsButLR{"BCDFGHJKMNPQSTVWXYZbcdfghjkmnpqstvwxyz"
                                             "ÇÑçñ"_cp1252};
inline constexpr LetterClass ConsonantsButH{"BCDFGJKLMNPQRSTVWXYZbcdfgjklmnpqrstvwxyz"
                                            "ÇÑçñ"_cp1252};
inline constexpr LetterClass LetterS{"Ss"};

inline constexpr std::array<SymbolMeaning, 5> Left{{
    {'#', &Vowels, nullptr, Take::One, false},
    {'%', &NoLetter, nullptr, Take::Look, true},
    {']', &BackVowels, nullptr, Take::One, false},
    {'_', &Vowels, nullptr, Take::One, true},
    {'|', &LettersNRS, nullptr, Take::One, false},
}};

inline constexpr std::array<SymbolMeaning, 7> Right{{
    {'#', &Vowels, nullptr, Take::One, false},
    {'%', &NoLetter, nullptr, Take::Look, true},
    {'&', &LettersLMNRZ, nullptr, Take::One, false},
    {'*', &ConsonantsButLR, nullptr, Take::Look, false},
    {'+', &FrontVowels, nullptr, Take::One, false},
    {'[', &ConsonantsButH, nullptr, Take::Look, true},
    {'\\', &LetterS, nullptr, Take::OneIfAny, true},
}};

inline constexpr Language language{Left, Right};

} // namespace nrl
} // namespace rule_matcher
