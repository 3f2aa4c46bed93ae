// Turns the cut and levelled units into a voice database: 16-bit samples,
// the pitch marks, and the phoneme names in the order of the phoneme set.
#pragma once

#include "mbrsynth/voice_db.h"
#include "tools/mbrvoice/level_match.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mbrvoice {

// The units as one voice at `rate`; its default pitch is the units' median.
mbrsynth::VoiceData assembleVoice(const std::vector<PairUnit> &units, uint32_t rate,
                                  const std::string &info);

} // namespace mbrvoice
