// Letter-to-sound translator of the native voice: Portuguese text
// (Windows-1252, or the older DOS code page) into a phoneme string, per word
// "[" units separated by "/" and "]", driven by the rule file (regras.rgr)
// and the exception file (portug.exc) of the diphone directory.
#pragma once

#include "platform/data_report.h"
#include "tradutor/exception_table.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace diphone::translator {

constexpr size_t RuleLeftLength = 5;
constexpr size_t RuleCentreLength = 5;
constexpr size_t RuleRightLength = 5;
constexpr size_t RuleOutputLength = 11;
// One chain per first centre character, codes 32..95.
constexpr size_t ChainCount = 64;
constexpr uint8_t FirstChainCode = 32;
constexpr size_t MaxExceptions = 15000;
// Lines of the data files keep their first 255 characters.
constexpr size_t MaxLineLength = 255;
constexpr size_t MaxWordLength = 255;
// Stands for a character that has no spelling of its own.
constexpr char UnknownMarker = '\x01';

// The replacement of a character code 128..255 (Windows-1252 letters and the
// older DOS code page): 0, 1 or 2 characters, a letter followed by its accent
// mark. Codes below 128 have no entry (empty).
std::string accentTable(uint8_t code);

// Maps w/y inside words to u/i, drops the apostrophe after d, replaces codes
// 128..255 by their accent-table entry and control characters and unmapped
// codes by " \x01 ".
std::string normalizeText(const std::string &text);

// The word being translated, with what was seen while reading it.
struct Word {
    std::string letters;         // at most MaxWordLength characters
    size_t vowelCount = 0;       // of the word as read
    bool explicitAccent = false; // an accent mark other than the diaeresis was read
};

// Reads the next word of a normalised text from `position` (0-based), which
// is left after it: a run of letters and accent marks (lower-cased), or one
// other character alone. A run longer than MaxWordLength is cut there and the
// rest is read as the next word. False at the end of the text.
bool nextWord(const std::string &text, size_t &position, Word &word);

// Replaces the word by its respelling, looking it up whole and then with its
// final s/m letters stripped one by one (they are put back after the
// replacement).
void applyExceptions(Word &word);

// Marks the stressed vowel by upper-casing it, unless the word carries an
// accent mark or an upper-case vowel already, or has one vowel only (a
// single-vowel word ending in l is marked).
void markStress(Word &word);

// True for the unknown-character marker and for words of consonants and
// pause characters only.
bool isSpelledWord(const Word &word);
// One bracketed letter unit per character: "[ /_" + character + "]".
std::string spellWord(const Word &word);

// Translates the word with the loaded rules: "[" units separated by "/" "]".
std::string applyRules(const Word &word);

// Empties the rule chains and the exception table, then reads the rule file.
// False when the file cannot be opened. Lines without "(", with an empty
// centre or with a centre outside the chain codes make no rule. `report`
// hears of every line that makes no rule or loses a part.
bool loadRules(const std::string &path, const data_report::Sink &report = {});
// The same for the text of a rule file held in memory.
void loadRulesText(std::string_view text);
// Empties and reloads the exception table (at most MaxExceptions entries, the
// rest of the file is ignored), sorted by word. False when the file cannot be
// opened. When a word is listed twice, its first line wins. `report` hears of
// every line left out, cut or never found.
bool loadExceptions(const std::string &path, const data_report::Sink &report = {});
// How the exception file is read.
const exception_table::Dialect &exceptionDialect();
// Frees every rule.
void freeRules();

size_t ruleCount();
size_t exceptionCount();

// Every distinct output of the loaded rules, sorted: the pieces from which
// the phoneme strings, and so the voice's unit names, are made.
std::vector<std::string> ruleOutputs();

// The phoneme string of a text (letters and blanks).
std::string translateText(const std::string &text);

} // namespace diphone::translator
