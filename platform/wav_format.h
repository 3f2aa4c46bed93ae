// RIFF/WAVE: the canonical 44-byte header every sound the program makes
// carries, and the walk over the chunks of WAV images in memory and of WAV
// files. Every field is little-endian (platform/little_endian.h).
//
// Chunk names are compared without regard to case everywhere.
#pragma once

#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace wav {

inline constexpr size_t HeaderSize = 44;
inline constexpr size_t ChunkHeaderSize = 8;
inline constexpr size_t FormatBodySize = 16; // the fields of a PCM format chunk
inline constexpr uint16_t PcmTag = 1;

// Whether the four bytes at `name` spell `expected`, ignoring the case of a..z.
bool isChunk(const uint8_t *name, const char *expected);

struct Format {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
};

// The fields of the first FormatBodySize bytes of a format chunk's body.
Format readFormat(const uint8_t *body);
// The bytes of one frame: channels x bytes per sample.
uint16_t blockAlign(uint16_t channels, uint16_t bits);

// The canonical header for `dataBytes` bytes of PCM samples: "RIFF", "WAVE",
// a 16-byte "fmt " chunk, "data"; block align and bytes per second follow
// the channels and bits.
void writeHeader(uint8_t *header, uint32_t dataBytes, uint32_t rate, uint16_t channels,
                 uint16_t bits);

// How the chunks of an image are laid out.
enum class Chunks {
    // As the program writes them: the format chunk first, at offset 12, and
    // no pad byte after a chunk of odd length.
    FormatFirst,
    // As RIFF allows: any order (the format before the data), every chunk of
    // odd length followed by a pad byte.
    Padded,
};

enum class ImageFault { NotRiff, DamagedFormat, NoFormat, DataBeforeFormat, NoData };
const char *faultText(ImageFault fault);

struct ImageLayout {
    Format format;
    size_t dataStart = 0;
    uint32_t dataLength = 0; // cut to what the image holds
};

// Finds the format and the first data chunk of an image ("RIFF" at 0,
// "WAVE" at 8). Every length is checked against the image's size; a data
// chunk claiming more than the image holds is taken as far as it goes. The
// format is not judged: that is the caller's business.
std::optional<ImageLayout> parseImage(std::span<const uint8_t> image, Chunks chunks,
                                      ImageFault *fault = nullptr);

// Files, read as the program reads its recordings: "RIFF" at 0 and a "fmt "
// chunk at 12 whose whole body lies within the file. The format is taken
// from the body's first 16 bytes (all zero when the body is shorter); the
// file is left at the chunk after it.
bool readFileFormat(platform::File &file, Format &format);
// From there, the chunk headers up to the first "data" chunk, every other
// chunk skipped by seeking, whatever its length (no pad bytes); the file is
// left at the data. False when the file ends first.
bool findFileData(platform::File &file, uint32_t &dataLength);

} // namespace wav
