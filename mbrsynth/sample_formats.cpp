#include "mbrsynth/sample_formats.h"

namespace mbrsynth {
namespace {

// Position of the highest set bit of a 15-bit magnitude, counted in
// segments of the G.711 companding curves.
int segmentOf(int magnitude, int firstLimit) {
    int segment = 0;
    for (int limit = firstLimit; segment < 8 && magnitude > limit; limit = limit * 2 + 1) {
        ++segment;
    }
    return segment;
}

} // namespace

uint8_t toLinear8(int16_t sample) {
    return static_cast<uint8_t>((sample >> 8) + 128);
}

uint8_t toMuLaw(int16_t sample) {
    constexpr int kBias = 0x84;
    constexpr int kClip = 32635;
    int magnitude = sample < 0 ? -static_cast<int>(sample) : sample;
    const int sign = sample < 0 ? 0x80 : 0;
    magnitude = (magnitude > kClip ? kClip : magnitude) + kBias;
    const int segment = segmentOf(magnitude >> 7, 1);
    const int mantissa = (magnitude >> (segment + 3)) & 0x0F;
    return static_cast<uint8_t>(~(sign | (segment << 4) | mantissa));
}

uint8_t toALaw(int16_t sample) {
    int magnitude = sample < 0 ? -static_cast<int>(sample) - 1 : sample;
    const int sign = sample < 0 ? 0 : 0x80;
    magnitude >>= 3; // 13-bit magnitude
    const int segment = segmentOf(magnitude >> 4, 1);
    const int mantissa = segment == 0 ? (magnitude >> 1) & 0x0F : (magnitude >> segment) & 0x0F;
    return static_cast<uint8_t>((sign | (segment << 4) | mantissa) ^ 0x55);
}

} // namespace mbrsynth
