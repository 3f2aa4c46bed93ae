// The comparison and report shared by the lexicon scorers (lexscore for the
// native voice, quelo-lexscore for the built-in engine): words are compared
// phone for phone with the reference, and the disagreements are counted by
// the pairs of a least-cost alignment.
#pragma once

#include <cstddef>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace lexscore {

using Phones = std::vector<std::string>;
// A reference phone and ours; "-" stands for a missing phone.
using PhonePair = std::pair<std::string, std::string>;

// The phones separated by blanks.
std::string join(const Phones &phones);

// The substitutions, insertions and deletions of a least-cost alignment.
std::vector<PhonePair> differences(const Phones &ref, const Phones &ours);

// Counts of agreeing words and of the disagreements.
class Tally {
public:
    // Counts one word; true when ours agrees with the reference.
    bool add(const Phones &ref, const Phones &ours);

    size_t words() const { return words_; }
    size_t agreeing() const { return agreeing_; }

    // "A of W words agree: P%" (after the label, when one is given).
    void printShare(std::FILE *out, const std::string &label = "") const;
    // The `count` most frequent disagreements, most frequent first.
    void printDisagreements(std::FILE *out, size_t count = 20) const;

private:
    size_t words_ = 0;
    size_t agreeing_ = 0;
    std::map<PhonePair, size_t> counts_;
};

} // namespace lexscore
