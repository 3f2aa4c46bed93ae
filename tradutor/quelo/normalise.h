// Text normalisation of the built-in engine: rewrites a Windows-1252 text so
// that it holds only words, blanks and the punctuation marks that carry
// pauses. Numbers become Portuguese number words, abbreviations followed by a
// full stop are expanded from the abbreviations file (portug.abr), words made
// only of consonants are spelled and every other symbol is named.
#pragma once

#include "tradutor/quelo/data_file.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace quelo {

// Entries of the abbreviation table; further entries of the file are ignored.
constexpr size_t MaxAbbreviations = 2000;
// Lines of the abbreviations file keep their first MaxLineLength characters.
constexpr size_t MaxAbbreviationLineLength = 255;
// Digits of one number; a further digit starts a new number.
constexpr size_t MaxNumberDigits = 15;

enum class Gender { Masculine, Feminine };

// The spoken name of a Windows-1252 character, empty for codes without one.
std::string charName(uint8_t code);

// Number words of a value ("mil e um"); digits above the fifteenth are not
// read.
std::string cardinalWords(uint64_t value);
// Ordinal words ("centésimo vigésimo primeiro"); 2000 and above are read as
// cardinals.
std::string ordinalWords(uint64_t value, Gender gender);

// Empties the abbreviation table, then reads "KEY=expansion" lines from the
// file. False when the file cannot be opened.
bool loadAbbreviations(const std::string &path);
bool loadAbbreviations(const DataText &file);
// The expansion of the first entry whose key is the upper-cased word, or the
// empty string.
std::string lookupAbbreviation(const std::string &word);

// The whole rewriting of a text.
std::string normaliseText(const std::string &text);

} // namespace quelo
