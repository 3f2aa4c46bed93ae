// The native voice's two files: the index (.IND), sorted 15-byte records
// naming each unit's place in the samples file (.DIF), raw unsigned 8-bit
// mono samples at 11025 Hz.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace voicebuild {

inline constexpr uint32_t kVoiceRate = 11025;
inline constexpr size_t kIndexRecordBytes = 15;

// Units by upper-case name (at most 8 characters, at most 65535 samples).
using UnitSamples = std::map<std::string, std::vector<uint8_t>>;

// Writes stem + ".IND" and stem + ".DIF"; false with a message in error.
bool writeVoice(const std::string &stem, const UnitSamples &units, std::string &error);

} // namespace voicebuild
