// The synthesizer's voice database: diphones cut from recorded logatomes,
// each with its pitch marks and the place of the phoneme boundary inside it.
//
// File layout (all integers little-endian; one file per voice):
//
//   header, 48 bytes:
//     0  char[4]  magic "ZBRV"
//     4  u32      format version (2)
//     8  u32      sample rate of the stored samples (Hz)
//    12  u32      pitch the units were recorded at (Hz), the default pitch
//    16  u32      phoneme count P (1..kMaxPhonemes)
//    20  u32      diphone count D (1..P*P)
//    24  u32      pitch-mark count M
//    28  u32      sample count S
//    32  u32      info text length T (bytes, at most kMaxInfoBytes)
//    36  u32      voiceChecksum of every byte after the header
//    40  u32[2]   reserved, zero
//   phoneme names: P x 8 bytes, NUL-padded, 1..7 printable characters, unique
//   diphones:      D x 24 bytes: u16 first, u16 second (phoneme indices),
//                  u32 first sample, u32 sample count, u32 first mark,
//                  u32 mark count, u32 boundary (sample offset of the phoneme
//                  change inside the unit); each pair at most once
//   pitch marks:   M x u32: sample offset inside the unit in the low 31 bits,
//                  bit 31 set when the period around the mark is voiced;
//                  strictly increasing within a unit
//   samples:       S x i16
//   info text:     T bytes (free text, shown by the library's info call)
//
// The file size must equal exactly what the header announces; every range a
// diphone names must lie inside its table. A file that breaks any of these
// rules is refused as a whole.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mbrsynth {

inline constexpr uint32_t kFormatVersion = 2;
inline constexpr size_t kHeaderBytes = 48;
inline constexpr size_t kMaxNameLength = 7;
inline constexpr uint32_t kMaxPhonemes = 250;
inline constexpr uint32_t kMaxInfoBytes = 4096;

struct PitchMark {
    uint32_t position = 0; // sample offset inside the unit
    bool voiced = false;
};

struct Diphone {
    uint16_t first = 0; // phoneme indices
    uint16_t second = 0;
    uint32_t sampleStart = 0;
    uint32_t sampleCount = 0;
    uint32_t markStart = 0;
    uint32_t markCount = 0;
    uint32_t boundary = 0;
};

// The decoded database, also what the voice builder fills before writing.
struct VoiceData {
    uint32_t sampleRate = 16000;
    uint32_t defaultPitch = 120;
    std::vector<std::string> phonemes;
    std::vector<Diphone> diphones;
    std::vector<PitchMark> marks;
    std::vector<int16_t> samples;
    std::string info;
};

std::vector<uint8_t> encodeVoice(const VoiceData &voice);

// The digest stored in the header, taken over the bytes in pieces (version
// 2; version 1 files held a byte-wise FNV-1a, too slow for a voice of
// several megabytes).
class VoiceDigest {
public:
    void add(std::span<const uint8_t> bytes);
    uint32_t value() const;

private:
    static constexpr size_t kLanes = 4;
    static constexpr size_t kBlockBytes = 8 * kLanes;
    void addBlock(const uint8_t *block);

    uint64_t lanes_[kLanes] = {0xcbf29ce484222325ull, 0x84222325cbf29ce4ull, 0x9e3779b97f4a7c15ull,
                               0xc2b2ae3d27d4eb4full};
    uint8_t pending_[kBlockBytes] = {};
    size_t pendingCount_ = 0;
    uint64_t total_ = 0;
};

// The digest of one piece.
uint32_t voiceChecksum(std::span<const uint8_t> bytes);

// Where a database is decoded from: its size, and its bytes in order.
class VoiceSource {
public:
    virtual ~VoiceSource() = default;
    virtual uint64_t size() const = 0;
    // The next `count` bytes; false when they cannot be had.
    virtual bool read(uint8_t *out, size_t count) = 0;
};

// Checks the whole database; on any fault returns nothing and says why.
// Nothing is allocated for the parts before the header's counts have been
// found to match the size.
std::optional<VoiceData> decodeVoice(VoiceSource &source, std::string &error);
std::optional<VoiceData> decodeVoice(std::span<const uint8_t> image, std::string &error);

} // namespace mbrsynth
