// The unit names the native synthesizer looks up for a phoneme string.
//
// They come from the synthesizer's own reading of a phoneme string
// (tradutor/diphone/phoneme_units.h): words are cut into groups, each group
// is decomposed into units, and every unit becomes an index name ("$" +
// unit), with "CIRC" and "TIL" for the closed and nasal marks. When a name is
// missing from the voice, the synthesizer tries smaller names in a fixed
// order; fallbackNames gives them. Letter recordings ("_" names) are not
// part of the voice and are skipped.
#pragma once

#include <compare>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace voicebuild {

// Longest name an index record can hold; longer names are never found.
inline constexpr size_t kMaxIndexName = 8;

// Every name the synthesizer asks the voice for first while speaking the
// phoneme string, in order, as built ("$kA", "$aCIRC", "$s", ...); the voice
// matches them without regard to case.
std::vector<std::string> lookupNames(const std::string &phonemes);

// The names tried, in order, when name is missing: the pieces emitDiphone
// falls back to, as built. Empty when a missing name gives noise (two
// characters or fewer) or nothing.
std::vector<std::string> fallbackNames(const std::string &name);

// What the synthesizer plays for name given the names the voice holds.
struct Resolution {
    std::vector<std::string> played; // names found in the voice, upper case, in order
    bool noise = false;              // a missing short name became a noise burst
    bool silent = false;             // a missing name with no fallback gave nothing
};
// voice holds upper-case names.
Resolution resolve(const std::string &name, const std::set<std::string> &voice);

std::string upperAscii(std::string text);

// A unit the synthesizer stops short of its end: it plays `share` of the
// recording's length, taken of the whole recording when `whole` (a stressed
// unit, or a name of two characters, which is never shortened) and else of
// what the shortening of unstressed units leaves.
struct ShortPlay {
    double share = 1.0;
    bool whole = true;
    auto operator<=>(const ShortPlay &) const = default;
};
// Every found-first name (upper case) of the phoneme strings that some group
// plays short, with the ways it does (a diphthong's first part at 0.6, a
// syllable before its plural s at 0.7). Where such a unit ends the next one
// begins: the voice builder keeps those points quiet.
std::map<std::string, std::set<ShortPlay>> shortPlays(const std::vector<std::string> &phonemes);

// The sample where a unit of `length` samples played as `play` stops, when
// unstressed units are shortened by `unitCut` samples (CORTEFON); nothing
// when the shortening leaves none.
std::optional<size_t> shortPlayEnd(size_t length, const ShortPlay &play, size_t unitCut);

} // namespace voicebuild
