// 16-bit linear samples turned into the other formats the library offers.
#pragma once

#include <cstdint>

namespace mbrsynth {

uint8_t toLinear8(int16_t sample); // unsigned, 128 = silence
uint8_t toMuLaw(int16_t sample);   // G.711 mu-law
uint8_t toALaw(int16_t sample);    // G.711 A-law

} // namespace mbrsynth
