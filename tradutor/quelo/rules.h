// Pronunciation of the built-in engine: the letter-to-sound rules
// of portug.nrl and the respellings of portug.exc turn the tokens of an
// utterance into MBROLA phoneme names, one a line, with ">" before the
// phoneme that begins at the stressed letter.
#pragma once

#include "tradutor/exception_table.h"
#include "tradutor/quelo/data_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quelo {

// One bucket of rules for each character code 32..255, by the first
// character of the rule's centre.
constexpr uint8_t FirstBucketCode = 32;
constexpr size_t BucketCount = 224;
// Longest kept part of each field of a rule line; longer ones keep their
// first characters.
constexpr size_t MaxRuleLeft = 5;
constexpr size_t MaxRuleCentre = 5;
constexpr size_t MaxRuleRight = 5;
constexpr size_t MaxRuleOutput = 20;
// Characters of a rule's output that are used.
constexpr size_t UsedRuleOutput = 11;
// Entries of the exception table; later lines of the file are not read.
constexpr size_t MaxNrlExceptions = 15000;
// Lines of the exceptions file keep their first characters.
constexpr size_t MaxExceptionLineLength = 255;

// Empties the 224 buckets and reads the rules file: a line whose first
// character is ";" is a comment; any other is
//   left "(" centre ")" right "=" output ["|" anything]
// and goes to the end of the bucket of its centre's first character. A line
// without "(", or whose centre is empty or begins with a code below 32, is
// not stored; a missing ")" or "=" leaves the parts after it empty. False
// when the file cannot be opened. A file that reports (DataText::reportTo)
// hears of every line left out or cut.
bool loadNrlRules(const std::string &path);
bool loadNrlRules(const DataText &file);

// Empties the exception table and reads "KEY=replacement[|anything]" lines
// (upper-cased, cut to 255 characters; empty lines skipped), at most 15000
// entries, then sorts them by key. A line without "=", or with an empty key,
// is not stored. False when the file cannot be opened. `report` hears of every
// line left out, cut or never found.
bool loadNrlExceptions(const std::string &path, const data_report::Sink &report = {});
// How the exceptions file is read.
const exception_table::Dialect &nrlExceptionDialect();

// Releases every rule of every bucket (the exceptions stay).
void freeNrlRules();

// The respelling of an upper-case word: the replacement of its key; or, when
// the word ends in S or M, the lookup of the word without them, followed by
// them; or else the word unchanged.
std::string lookupException(const std::string &word);

// Appends the phoneme lines of a word (Windows-1252, upper-cased here) to the
// list, and the empty line that ends the word. stressPosition is the 1-based
// position of the stressed letter, 0 for none: the first phoneme produced at
// or after it gets a ">" before its name (once).
void applyNrlRules(const std::string &word, size_t stressPosition, std::vector<std::string> &list);

// The whole stage for the pattern lines of an utterance (pattern "|" token): per token a comment
// line ";" + the input line, then the pause name of a punctuation mark, "__" and an empty line for
// a sentence boundary (empty token), or the word's phoneme lines; "__" at the end; and the joins r2
// -> r and s2 -> z before a word that begins with a vowel or a glide.
std::vector<std::string> phonetise(const std::vector<std::string> &patternList);

// phonetise one pattern line at a time: every line is handed over as soon as
// no later join can change it, so an utterance of any length needs only a
// few lines of memory here. Lines come out exactly as phonetise gives them.
class Phonetiser {
public:
    void add(const std::string &patternLine, std::vector<std::string> &out);
    // The closing "__"; the phonetiser is then ready for another utterance.
    void finish(std::vector<std::string> &out);

private:
    // A join changes the line two before a comment line.
    static constexpr size_t JoinReach = 2;
    // The utterance's first comment line has no word before it.
    static constexpr size_t FirstJoinedLine = 3;

    void joinHeld(size_t first);
    void release(std::vector<std::string> &out, size_t keep);

    std::vector<std::string> held_;
    size_t released_ = 0; // lines of the utterance handed over so far
    size_t nextScan_ = FirstJoinedLine;
};

// Counts of the loaded tables, for tests and tools.
size_t nrlRuleCount();
size_t nrlExceptionCount();

} // namespace quelo
