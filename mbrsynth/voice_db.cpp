#include "mbrsynth/voice_db.h"

#include <bit>
#include <cstring>
#include <set>
#include <utility>

namespace mbrsynth {
namespace {

constexpr char kMagic[4] = {'Z', 'B', 'R', 'V'};
constexpr size_t kNameBytes = 8;
constexpr size_t kDiphoneBytes = 24;
constexpr uint32_t kVoicedBit = 0x80000000u;

constexpr uint64_t kHashPrime = 0x100000001b3ull; // the 64-bit FNV prime
constexpr size_t kHashLanes = 4;

uint64_t littleEndianWord(const uint8_t *bytes) {
    uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, bytes, sizeof word);
    } else {
        for (size_t i = 0; i < 8; ++i) {
            word |= uint64_t{bytes[i]} << (8 * i);
        }
    }
    return word;
}

void putU16(std::vector<uint8_t> &out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void putU32(std::vector<uint8_t> &out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>((v >> shift) & 0xFF));
    }
}

void setU32(std::vector<uint8_t> &out, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) {
        out[at + i] = static_cast<uint8_t>((v >> (8 * i)) & 0xFF);
    }
}

// Sequential little-endian reader over a span whose length was checked.
class Reader {
public:
    Reader(std::span<const uint8_t> bytes, size_t at) : bytes_(bytes), at_(at) {}
    uint16_t u16() {
        const uint16_t v = static_cast<uint16_t>(bytes_[at_] | (bytes_[at_ + 1] << 8));
        at_ += 2;
        return v;
    }
    uint32_t u32() {
        uint32_t v = 0;
        for (size_t i = 0; i < 4; ++i) {
            v |= static_cast<uint32_t>(bytes_[at_ + i]) << (8 * i);
        }
        at_ += 4;
        return v;
    }
    std::span<const uint8_t> take(size_t count) {
        const auto part = bytes_.subspan(at_, count);
        at_ += count;
        return part;
    }

private:
    std::span<const uint8_t> bytes_;
    size_t at_;
};

// The samples in one copy where the host's order is the file's.
void readSamples(std::span<const uint8_t> bytes, std::vector<int16_t> &samples) {
    samples.resize(bytes.size() / 2);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(samples.data(), bytes.data(), bytes.size());
    } else {
        for (size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        }
    }
}

struct Counts {
    uint32_t phonemes, diphones, marks, samples, info;
};

bool validName(const std::string &name) {
    if (name.empty() || name.size() > kMaxNameLength) {
        return false;
    }
    for (const char c : name) {
        if (c <= ' ' || c > '~') {
            return false;
        }
    }
    return true;
}

bool readNames(Reader &in, uint32_t count, VoiceData &voice, std::string &error) {
    std::set<std::string> seen;
    for (uint32_t i = 0; i < count; ++i) {
        const auto raw = in.take(kNameBytes);
        std::string name(reinterpret_cast<const char *>(raw.data()), kNameBytes);
        name.resize(std::strlen(name.c_str()));
        if (!validName(name) || !seen.insert(name).second) {
            error = "phoneme name " + std::to_string(i) + " is empty, too long or repeated";
            return false;
        }
        voice.phonemes.push_back(name);
    }
    return true;
}

bool diphoneFits(const Diphone &d, const Counts &counts) {
    return d.first < counts.phonemes && d.second < counts.phonemes &&
           d.sampleStart <= counts.samples && d.sampleCount <= counts.samples - d.sampleStart &&
           d.markStart <= counts.marks && d.markCount <= counts.marks - d.markStart &&
           d.boundary <= d.sampleCount;
}

bool readDiphones(Reader &in, const Counts &counts, VoiceData &voice, std::string &error) {
    std::set<std::pair<uint16_t, uint16_t>> pairs;
    for (uint32_t i = 0; i < counts.diphones; ++i) {
        Diphone d;
        d.first = in.u16();
        d.second = in.u16();
        d.sampleStart = in.u32();
        d.sampleCount = in.u32();
        d.markStart = in.u32();
        d.markCount = in.u32();
        d.boundary = in.u32();
        if (!diphoneFits(d, counts) || !pairs.insert({d.first, d.second}).second) {
            error = "diphone " + std::to_string(i) + " lies outside the tables or is repeated";
            return false;
        }
        voice.diphones.push_back(d);
    }
    return true;
}

bool marksIncreaseInsideUnits(const VoiceData &voice, std::string &error) {
    for (const Diphone &d : voice.diphones) {
        for (uint32_t k = 0; k < d.markCount; ++k) {
            const uint32_t pos = voice.marks[d.markStart + k].position;
            const bool ordered = k == 0 || pos > voice.marks[d.markStart + k - 1].position;
            if (pos >= d.sampleCount || !ordered) {
                error = "pitch marks of diphone " + voice.phonemes[d.first] + "-" +
                        voice.phonemes[d.second] + " are out of order or outside the unit";
                return false;
            }
        }
    }
    return true;
}

} // namespace

// Four independent multiply-xor chains over 64-bit words, so that the whole
// voice is checked at memory speed rather than one byte per multiplication
// (a byte-wise digest took longer than all the rest of opening the voice).
// Every step is a bijection of its lane's state, so any single changed word
// changes that lane; the lanes, the tail and the length meet at the end.
uint32_t voiceChecksum(std::span<const uint8_t> bytes) {
    uint64_t lanes[kHashLanes] = {0xcbf29ce484222325ull, 0x84222325cbf29ce4ull,
                                  0x9e3779b97f4a7c15ull, 0xc2b2ae3d27d4eb4full};
    constexpr size_t kStride = 8 * kHashLanes;
    const size_t whole = bytes.size() - bytes.size() % kStride;
    for (size_t at = 0; at < whole; at += kStride) {
        for (size_t lane = 0; lane < kHashLanes; ++lane) {
            lanes[lane] = (lanes[lane] ^ littleEndianWord(&bytes[at + 8 * lane])) * kHashPrime;
        }
    }
    uint64_t hash = bytes.size();
    for (const uint64_t lane : lanes) {
        hash = (hash ^ lane) * kHashPrime;
    }
    for (size_t at = whole; at < bytes.size(); ++at) {
        hash = (hash ^ bytes[at]) * kHashPrime;
    }
    hash ^= hash >> 29;
    hash *= kHashPrime;
    return static_cast<uint32_t>(hash ^ (hash >> 32));
}

std::vector<uint8_t> encodeVoice(const VoiceData &voice) {
    std::vector<uint8_t> out(kMagic, kMagic + 4);
    putU32(out, kFormatVersion);
    putU32(out, voice.sampleRate);
    putU32(out, voice.defaultPitch);
    putU32(out, static_cast<uint32_t>(voice.phonemes.size()));
    putU32(out, static_cast<uint32_t>(voice.diphones.size()));
    putU32(out, static_cast<uint32_t>(voice.marks.size()));
    putU32(out, static_cast<uint32_t>(voice.samples.size()));
    putU32(out, static_cast<uint32_t>(voice.info.size()));
    putU32(out, 0); // checksum, filled in below
    putU32(out, 0);
    putU32(out, 0);
    for (const auto &name : voice.phonemes) {
        std::string padded = name.substr(0, kMaxNameLength);
        padded.resize(kNameBytes, '\0');
        out.insert(out.end(), padded.begin(), padded.end());
    }
    for (const Diphone &d : voice.diphones) {
        putU16(out, d.first);
        putU16(out, d.second);
        for (const uint32_t v :
             {d.sampleStart, d.sampleCount, d.markStart, d.markCount, d.boundary}) {
            putU32(out, v);
        }
    }
    for (const PitchMark &m : voice.marks) {
        putU32(out, m.position | (m.voiced ? kVoicedBit : 0));
    }
    for (const int16_t s : voice.samples) {
        putU16(out, static_cast<uint16_t>(s));
    }
    out.insert(out.end(), voice.info.begin(), voice.info.end());
    setU32(out, 36, voiceChecksum(std::span(out).subspan(kHeaderBytes)));
    return out;
}

std::optional<VoiceData> decodeVoice(std::span<const uint8_t> image, std::string &error) {
    if (image.size() < kHeaderBytes || std::memcmp(image.data(), kMagic, 4) != 0) {
        error = "not a voice database (bad magic or too short)";
        return std::nullopt;
    }
    Reader header(image, 4);
    VoiceData voice;
    if (header.u32() != kFormatVersion) {
        error = "unsupported voice database version";
        return std::nullopt;
    }
    voice.sampleRate = header.u32();
    voice.defaultPitch = header.u32();
    const Counts counts{header.u32(), header.u32(), header.u32(), header.u32(), header.u32()};
    const uint32_t checksum = header.u32();
    const uint64_t expected = kHeaderBytes + uint64_t{counts.phonemes} * kNameBytes +
                              uint64_t{counts.diphones} * kDiphoneBytes +
                              uint64_t{counts.marks} * 4 + uint64_t{counts.samples} * 2 +
                              counts.info;
    if (counts.phonemes == 0 || counts.phonemes > kMaxPhonemes || counts.diphones == 0 ||
        counts.diphones > counts.phonemes * counts.phonemes || counts.info > kMaxInfoBytes ||
        voice.sampleRate < 8000 || voice.sampleRate > 48000 || voice.defaultPitch < 40 ||
        voice.defaultPitch > 1000) {
        error = "voice database header holds impossible values";
        return std::nullopt;
    }
    if (expected != image.size()) {
        error = "voice database is truncated or has trailing bytes (size " +
                std::to_string(image.size()) + ", expected " + std::to_string(expected) + ")";
        return std::nullopt;
    }
    if (voiceChecksum(image.subspan(kHeaderBytes)) != checksum) {
        error = "voice database checksum does not match";
        return std::nullopt;
    }
    Reader in(image, kHeaderBytes);
    if (!readNames(in, counts.phonemes, voice, error) || !readDiphones(in, counts, voice, error)) {
        return std::nullopt;
    }
    voice.marks.resize(counts.marks);
    for (PitchMark &m : voice.marks) {
        const uint32_t raw = in.u32();
        m = {raw & ~kVoicedBit, (raw & kVoicedBit) != 0};
    }
    readSamples(in.take(size_t{counts.samples} * 2), voice.samples);
    const auto info = in.take(counts.info);
    voice.info.assign(info.begin(), info.end());
    if (!marksIncreaseInsideUnits(voice, error)) {
        return std::nullopt;
    }
    return voice;
}

} // namespace mbrsynth
