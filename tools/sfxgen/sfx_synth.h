// Additive synthesis of the game's three sound effects: sums of sine
// partials, each note shaped by an attack, an exponential decay and a release.
// Deterministic: the same rate always gives the same samples.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace sfx {

struct Partial {
    double ratio;     // frequency relative to the note's frequency
    double amplitude; // relative level
    double decay;     // extra exponential decay of this partial, per second
};

struct Note {
    double start;     // seconds
    double length;    // seconds, release included
    double frequency; // Hz
    double amplitude;
    double attack;       // seconds
    double release;      // seconds at the end of the length
    double decay;        // exponential decay of the whole note, per second
    double vibratoDepth; // relative frequency swing, 0 for none
    std::span<const Partial> partials;
};

// Adds one note into out (rate samples per second), growing out if needed.
void addNote(std::vector<float> &out, uint32_t rate, const Note &note);

// The effects by name: "plim" (a short bright chime for a hidden letter),
// "tchen" (a short dramatic hit for a miss), "requiem" (a sad descending
// phrase for the last miss). An unknown name gives an empty sound.
std::vector<float> makeEffect(std::string_view name, uint32_t rate);

} // namespace sfx
