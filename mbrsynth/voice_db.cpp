#include "mbrsynth/voice_db.h"

#include <algorithm>
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

// The samples were read as the file's little-endian bytes.
void toHostOrder(std::vector<int16_t> &samples) {
    if constexpr (std::endian::native != std::endian::little) {
        for (int16_t &sample : samples) {
            const auto bits = static_cast<uint16_t>(sample);
            sample = static_cast<int16_t>((bits >> 8) | (bits << 8));
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
// voice is checked at memory speed rather than one byte per multiplication.
// Every step is a bijection of its lane's state, so any single changed word
// changes that lane; the lanes, the tail and the length meet at the end.
void VoiceDigest::add(std::span<const uint8_t> bytes) {
    total_ += bytes.size();
    if (pendingCount_ > 0) {
        const size_t taken = std::min(bytes.size(), kBlockBytes - pendingCount_);
        std::memcpy(pending_ + pendingCount_, bytes.data(), taken);
        pendingCount_ += taken;
        bytes = bytes.subspan(taken);
        if (pendingCount_ < kBlockBytes) {
            return;
        }
        addBlock(pending_);
        pendingCount_ = 0;
    }
    while (bytes.size() >= kBlockBytes) {
        addBlock(bytes.data());
        bytes = bytes.subspan(kBlockBytes);
    }
    if (!bytes.empty()) { // a span may be empty with a null start
        std::memcpy(pending_, bytes.data(), bytes.size());
    }
    pendingCount_ = bytes.size();
}

void VoiceDigest::addBlock(const uint8_t *block) {
    for (size_t lane = 0; lane < kLanes; ++lane) {
        lanes_[lane] = (lanes_[lane] ^ littleEndianWord(block + 8 * lane)) * kHashPrime;
    }
}

uint32_t VoiceDigest::value() const {
    uint64_t hash = total_;
    for (const uint64_t lane : lanes_) {
        hash = (hash ^ lane) * kHashPrime;
    }
    for (size_t at = 0; at < pendingCount_; ++at) {
        hash = (hash ^ pending_[at]) * kHashPrime;
    }
    hash ^= hash >> 29;
    hash *= kHashPrime;
    return static_cast<uint32_t>(hash ^ (hash >> 32));
}

uint32_t voiceChecksum(std::span<const uint8_t> bytes) {
    VoiceDigest digest;
    digest.add(bytes);
    return digest.value();
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

std::optional<VoiceData> decodeVoice(VoiceSource &source, std::string &error) {
    uint8_t headerBytes[kHeaderBytes];
    if (source.size() < kHeaderBytes || !source.read(headerBytes, kHeaderBytes) ||
        std::memcmp(headerBytes, kMagic, 4) != 0) {
        error = "not a voice database (bad magic or too short)";
        return std::nullopt;
    }
    Reader header(headerBytes, 4);
    VoiceData voice;
    if (header.u32() != kFormatVersion) {
        error = "unsupported voice database version";
        return std::nullopt;
    }
    voice.sampleRate = header.u32();
    voice.defaultPitch = header.u32();
    const Counts counts{header.u32(), header.u32(), header.u32(), header.u32(), header.u32()};
    const uint32_t checksum = header.u32();
    const uint64_t front = uint64_t{counts.phonemes} * kNameBytes +
                           uint64_t{counts.diphones} * kDiphoneBytes + uint64_t{counts.marks} * 4;
    const uint64_t expected = kHeaderBytes + front + uint64_t{counts.samples} * 2 + counts.info;
    if (counts.phonemes == 0 || counts.phonemes > kMaxPhonemes || counts.diphones == 0 ||
        counts.diphones > counts.phonemes * counts.phonemes || counts.info > kMaxInfoBytes ||
        voice.sampleRate < 8000 || voice.sampleRate > 48000 || voice.defaultPitch < 40 ||
        voice.defaultPitch > 1000) {
        error = "voice database header holds impossible values";
        return std::nullopt;
    }
    if (expected != source.size()) {
        error = "voice database is truncated or has trailing bytes (size " +
                std::to_string(source.size()) + ", expected " + std::to_string(expected) + ")";
        return std::nullopt;
    }
    // The size matches: every part is read whole, the samples straight into
    // their table, and the digest taken over the parts in file order.
    std::vector<uint8_t> tables(static_cast<size_t>(front));
    voice.samples.resize(counts.samples);
    const std::span<uint8_t> samples(reinterpret_cast<uint8_t *>(voice.samples.data()),
                                     size_t{counts.samples} * 2);
    voice.info.resize(counts.info);
    const std::span<uint8_t> info(reinterpret_cast<uint8_t *>(voice.info.data()), counts.info);
    if (!source.read(tables.data(), tables.size()) ||
        !source.read(samples.data(), samples.size()) || !source.read(info.data(), info.size())) {
        error = "voice database could not be read whole";
        return std::nullopt;
    }
    VoiceDigest digest;
    digest.add(tables);
    digest.add(samples);
    digest.add(info);
    if (digest.value() != checksum) {
        error = "voice database checksum does not match";
        return std::nullopt;
    }
    toHostOrder(voice.samples);
    Reader in(tables, 0);
    if (!readNames(in, counts.phonemes, voice, error) || !readDiphones(in, counts, voice, error)) {
        return std::nullopt;
    }
    voice.marks.resize(counts.marks);
    for (PitchMark &m : voice.marks) {
        const uint32_t raw = in.u32();
        m = {raw & ~kVoicedBit, (raw & kVoicedBit) != 0};
    }
    if (!marksIncreaseInsideUnits(voice, error)) {
        return std::nullopt;
    }
    return voice;
}

std::optional<VoiceData> decodeVoice(std::span<const uint8_t> image, std::string &error) {
    class ImageSource final : public VoiceSource {
    public:
        explicit ImageSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
        uint64_t size() const override { return bytes_.size(); }
        bool read(uint8_t *out, size_t count) override {
            if (count > bytes_.size() - at_) {
                return false;
            }
            if (count > 0) {
                std::memcpy(out, bytes_.data() + at_, count);
            }
            at_ += count;
            return true;
        }

    private:
        std::span<const uint8_t> bytes_;
        size_t at_ = 0;
    };
    ImageSource source(image);
    return decodeVoice(source, error);
}

} // namespace mbrsynth
