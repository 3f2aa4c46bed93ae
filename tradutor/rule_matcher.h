// The letter-to-sound rules of both rule languages (the native voice's
// regras.rgr and the built-in engine's portug.nrl) and the one engine that
// matches them against a word. What a context symbol means is not written in
// the engine: each language gives a table of it (tradutor/rule_languages.h,
// where every symbol is described).
#pragma once

#include "tradutor/rule_lines.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rule_matcher {

// A set of character codes, written as the string of its members.
class LetterClass {
public:
    constexpr explicit LetterClass(std::string_view members) {
        for (const char c : members)
            members_[static_cast<uint8_t>(c)] = true;
    }
    constexpr bool has(char c) const { return members_[static_cast<uint8_t>(c)]; }

private:
    std::array<bool, 256> members_{};
};

// How much of the word a context symbol reads at the cursor.
enum class Take {
    Look,     // one letter of the class, looked at and not read past
    One,      // one letter of the class
    Run,      // one letter of the class and all of the class that follow it
    OneIfAny, // a letter of the class when there is one, else nothing
};

// What a context symbol means on one side of the centre. A "piece" is one
// letter of `letters`, with the letter after it in the word when that one is
// in `trailing` (an accent mark after its vowel, say).
struct SymbolMeaning {
    char symbol;
    const LetterClass *letters;
    const LetterClass *trailing; // nullptr: a piece is one letter
    Take take;
    bool matchesBeyondWord; // the symbol matches, reading nothing, past the word's end
};

// One rule language: its context symbols on each side. A character a side
// does not list is a letter of the rule, compared with the word's letter
// upper-cased (A..Z only).
struct Language {
    std::span<const SymbolMeaning> left;
    std::span<const SymbolMeaning> right;
};

struct Rule {
    std::string left;
    std::string centre;
    std::string right;
    std::string output;
};

// The rules of a file, in buckets by the first character of their centre
// (codes firstCode .. firstCode + bucketCount - 1), each in file order.
class RuleBook {
public:
    RuleBook(uint8_t firstCode, size_t bucketCount);

    // Whether a centre beginning with `c` has a bucket.
    bool holds(char c) const;
    // Files the rule at the end of its bucket; false (nothing filed) when
    // its centre is empty or has no bucket.
    bool add(const rule_lines::RuleText &rule);
    // Frees every rule.
    void clear();
    size_t size() const;
    // Every distinct output, sorted.
    std::vector<std::string> outputs() const;

    // The first rule of the bucket of the word's letter at `position`
    // (1-based, upper-cased A..Z) whose centre and contexts match there;
    // nullptr when none does.
    const Rule *match(const Language &language, const std::string &word, size_t position) const;

private:
    // The bucket of a centre beginning with `c`, for a `c` the book holds.
    size_t bucketOf(char c) const;

    uint8_t firstCode_;
    std::vector<std::vector<Rule>> buckets_;
};

// Whether `rule` matches `word` with its centre at `position` (1-based).
bool matches(const Language &language, const Rule &rule, const std::string &word, size_t position);

// The meaning of `symbol` on one side of a language, nullptr for a letter.
const SymbolMeaning *meaningOf(std::span<const SymbolMeaning> side, char symbol);

} // namespace rule_matcher
