// Reading and writing of PCM RIFF/WAVE images for the data tools.
//
// Sounds are handled as mono float samples in -1..1; the readers accept
// 8-bit unsigned and 16-bit signed PCM, mono or stereo (mixed down), and the
// writer produces the canonical 44-byte header (wav::writeHeader) the game's
// players expect.
#pragma once

#include "platform/wav_format.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wavkit {

struct Sound {
    uint32_t rate = 0;
    std::vector<float> samples; // mono, -1..1
};

// Decodes a whole WAV image. On failure returns nothing and says why in error.
// A data chunk that claims more bytes than the image holds (a streamed file)
// is taken as far as it goes.
std::optional<Sound> decodeWav(std::span<const uint8_t> image, std::string &error);

// PCM samples, 8-bit unsigned or 16-bit signed (bits 8 or 16) with one or
// more channels, mixed down to mono.
std::vector<float> decodePcm(std::span<const uint8_t> data, uint16_t bits, uint16_t channels);

// Header plus samples, mono, 8-bit unsigned or 16-bit signed (bits 8 or 16).
// Samples outside -1..1 are clamped.
std::vector<uint8_t> encodeWav(const Sound &sound, uint16_t bits);
// The sample bytes of encodeWav, appended to `out`.
void appendSamples(std::vector<uint8_t> &out, std::span<const float> samples, uint16_t bits);

// Whole-file helpers; false with a message in error when the file system fails.
bool readFileBytes(const std::string &path, std::vector<uint8_t> &out, std::string &error);
// Writes through a temporary file renamed into place (AtomicOutput), so a
// failed run never leaves a partial file under the final name.
bool writeFileAtomically(const std::string &path, std::span<const uint8_t> bytes,
                         std::string &error);

} // namespace wavkit
