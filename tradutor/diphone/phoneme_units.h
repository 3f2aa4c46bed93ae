// How a phoneme string ("[" units separated by "/" "]" per word) is read as
// the units of the native voice: the groups of a word, the units a group
// comes apart into, the index names of a unit, and the smaller names a
// missing name is made of. The synthesizer speaks by it and the voice
// builder records by it, so the two always agree on the names.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace diphone::units {

// Longest group kept; further characters are dropped.
constexpr size_t GroupCapacity = 40;
// Longest unit and name; longer ones keep their first characters.
constexpr size_t NameCapacity = 12;

// Reads a phoneme string group by group.
class GroupReader {
public:
    explicit GroupReader(std::string_view text) : text_(text) {}

    bool atEnd() const { return position_ >= text_.size(); }
    // Where the next group starts.
    size_t position() const { return position_; }

    // The next group: up to a blank, the end of a word or a "/" once the
    // group holds 9 characters. Other "/" are dropped, "_" brings the
    // character after it, "|" (a dash) makes the group "_TRACO" so far.
    // `opensWord` tells whether it began with the "[" of a word.
    std::string next(bool &opensWord);

private:
    std::string_view text_;
    size_t position_ = 0;
};

// A spelled punctuation mark that stands for a pause: "_" and one of , . ; :
bool isPauseGroup(std::string_view group);

// Receives each unit of a group, with the share of its recorded length it
// keeps relative to the group's.
using UnitSink = std::function<void(std::string_view unit, double share)>;
// Splits a group into the units the voice records: leading consonant
// clusters, final consonants, diphthongs and a final plural "s" come apart.
void splitGroup(std::string_view group, double share, const UnitSink &sink);

// Receives each name of a unit, and whether a stressed vowel (A E I O U) of
// the unit came before the name's end.
using NameSink = std::function<void(const std::string &name, bool stressed)>;
// The names a unit is played as: "$" and its characters, where "^" and "~"
// close the name so far as "CIRC" or "TIL"; a letter ("_" and a character)
// is "_" and the character's decimal code.
void unitNames(std::string_view unit, const NameSink &sink);

// How a piece of a missing name is played.
struct Piece {
    enum class Accent { OfName, Stressed, WordStart };

    std::string name;
    double share;     // of the recorded length
    bool ofNameShare; // the share is taken of the missing name's own
    Accent accent;
};
// The pieces a missing name (of at most NameCapacity characters) is played
// as, in order: a final vowel apart, a final closed vowel apart, a nasal
// vowel as its closed vowel and the nasal murmur. Empty when none applies.
std::vector<Piece> fallbackPieces(const std::string &name);

} // namespace diphone::units
