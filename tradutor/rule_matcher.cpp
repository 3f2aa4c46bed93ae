// The rule engine: a rule's centre and contexts read against a word, the
// contexts' symbols as their language's table says.
#include "tradutor/rule_matcher.h"

#include <algorithm>
#include <set>

namespace rule_matcher {
namespace {

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The word with positions 1..n; 0 and n + 1 lie outside. A cursor reads
// the left context leftwards from the letter before the centre and the right
// context rightwards from the letter after it.
class Reading {
public:
    explicit Reading(const std::string &word) : w_(word) {}

    bool centreMatches(const std::string &centre, size_t position) const {
        for (size_t k = 0; k < centre.size(); ++k)
            if (!inside(position + k) || upper(at(position + k)) != centre[k])
                return false;
        return true;
    }

    bool leftMatches(std::span<const SymbolMeaning> side, const std::string &left,
                     size_t position) const {
        Cursor cursor{position - 1, false};
        for (size_t k = left.size(); k-- > 0;)
            if (!read(side, left[k], cursor))
                return false;
        return true;
    }

    bool rightMatches(std::span<const SymbolMeaning> side, const std::string &right,
                      size_t after) const {
        Cursor cursor{after, true};
        for (const char symbol : right)
            if (!read(side, symbol, cursor))
                return false;
        return true;
    }

private:
    struct Cursor {
        size_t at;
        bool rightward;

        size_t step(size_t from) const { return rightward ? from + 1 : from - 1; }
    };

    bool inside(size_t c) const { return c >= 1 && c <= w_.size(); }
    char at(size_t c) const { return w_[c - 1]; }
    bool isIn(const LetterClass *letters, size_t c) const {
        return letters != nullptr && inside(c) && letters->has(at(c));
    }

    bool read(std::span<const SymbolMeaning> side, char symbol, Cursor &cursor) const {
        if (const SymbolMeaning *meaning = meaningOf(side, symbol))
            return readSymbol(*meaning, cursor);
        if (!inside(cursor.at) || upper(at(cursor.at)) != symbol)
            return false;
        cursor.at = cursor.step(cursor.at);
        return true;
    }

    bool readSymbol(const SymbolMeaning &meaning, Cursor &cursor) const {
        if (!inside(cursor.at))
            return meaning.matchesBeyondWord;
        switch (meaning.take) {
        case Take::Look:
            return meaning.letters->has(at(cursor.at));
        case Take::One:
            return readPiece(meaning, cursor);
        case Take::Run:
            if (!readPiece(meaning, cursor))
                return false;
            while (readPiece(meaning, cursor)) {
            }
            return true;
        case Take::OneIfAny:
            readPiece(meaning, cursor);
            return true;
        }
        return false;
    }

    // A letter of the class and its trailing letter, if any; read leftwards,
    // the trailing letter comes first. The cursor moves only on success.
    bool readPiece(const SymbolMeaning &meaning, Cursor &cursor) const {
        size_t c = cursor.at;
        if (!cursor.rightward && isIn(meaning.trailing, c))
            c = cursor.step(c);
        if (!isIn(meaning.letters, c))
            return false;
        c = cursor.step(c);
        if (cursor.rightward && isIn(meaning.trailing, c))
            c = cursor.step(c);
        cursor.at = c;
        return true;
    }

    const std::string &w_;
};

} // namespace

const SymbolMeaning *meaningOf(std::span<const SymbolMeaning> side, char symbol) {
    const auto found = std::find_if(side.begin(), side.end(), [&](const SymbolMeaning &meaning) {
        return meaning.symbol == symbol;
    });
    return found == side.end() ? nullptr : &*found;
}

bool matches(const Language &language, const Rule &rule, const std::string &word, size_t position) {
    const Reading reading(word);
    return reading.centreMatches(rule.centre, position) &&
           reading.leftMatches(language.left, rule.left, position) &&
           reading.rightMatches(language.right, rule.right, position + rule.centre.size());
}

RuleBook::RuleBook(uint8_t firstCode, size_t bucketCount)
    : firstCode_(firstCode), buckets_(bucketCount) {}

bool RuleBook::holds(char c) const {
    const auto code = static_cast<uint8_t>(c);
    return code >= firstCode_ && bucketOf(c) < buckets_.size();
}

size_t RuleBook::bucketOf(char c) const {
    return static_cast<size_t>(static_cast<uint8_t>(c) - firstCode_);
}

bool RuleBook::add(const rule_lines::RuleText &rule) {
    if (rule.centre.empty() || !holds(rule.centre[0]))
        return false;
    buckets_[bucketOf(rule.centre[0])].push_back({rule.left, rule.centre, rule.right, rule.output});
    return true;
}

void RuleBook::clear() {
    for (auto &bucket : buckets_)
        bucket = std::vector<Rule>();
}

size_t RuleBook::size() const {
    size_t count = 0;
    for (const auto &bucket : buckets_)
        count += bucket.size();
    return count;
}

std::vector<std::string> RuleBook::outputs() const {
    std::set<std::string> outputs;
    for (const auto &bucket : buckets_)
        for (const Rule &rule : bucket)
            outputs.insert(rule.output);
    return {outputs.begin(), outputs.end()};
}

const Rule *RuleBook::match(const Language &language, const std::string &word,
                            size_t position) const {
    const char first = upper(word[position - 1]);
    if (!holds(first))
        return nullptr;
    for (const Rule &rule : buckets_[bucketOf(first)])
        if (matches(language, rule, word, position))
            return &rule;
    return nullptr;
}

} // namespace rule_matcher
