// The program-wide pseudo-random generator: one 32-bit seed, advanced as a
// linear congruential sequence; a draw in 0..range-1 is the upper half of
// the 64-bit product of the seed and the range.
#include "tradutor/speech/speech.h"

namespace speech {
namespace {

struct State {
    uint32_t seed = 0;
};

State state;

} // namespace

void setRandomSeed(uint32_t seed) {
    state.seed = seed;
}

uint32_t randomRange(uint32_t range) {
    state.seed = state.seed * 134775813u + 1u; // modulo 2^32 by unsigned wrap-around
    return static_cast<uint32_t>((uint64_t{state.seed} * range) >> 32);
}

} // namespace speech
