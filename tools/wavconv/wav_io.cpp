#include "tools/wavconv/wav_io.h"

#include "tools/wavconv/atomic_output.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace wavkit {
namespace {

constexpr uint16_t kPcmTag = 1;
// Rates outside this range are damage, and resampling them would take ages.
constexpr uint32_t kMinRate = 1000;
constexpr uint32_t kMaxRate = 384000;

uint16_t readLe16(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

uint32_t readLe32(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | (static_cast<uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<uint32_t>(bytes[at + 2]) << 16) |
           (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

void putLe16(uint8_t *to, uint16_t value) {
    to[0] = static_cast<uint8_t>(value & 0xFF);
    to[1] = static_cast<uint8_t>(value >> 8);
}

void putLe32(uint8_t *to, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        to[i] = static_cast<uint8_t>((value >> (8 * i)) & 0xFF);
    }
}

bool hasId(std::span<const uint8_t> bytes, size_t at, const char *id) {
    return at + 4 <= bytes.size() && std::memcmp(bytes.data() + at, id, 4) == 0;
}

struct Format {
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
};

bool checkFormat(const Format &format, std::string &error) {
    if (format.tag != kPcmTag) {
        error = "not PCM (format tag " + std::to_string(format.tag) + ")";
    } else if (format.channels != 1 && format.channels != 2) {
        error = "unsupported channel count " + std::to_string(format.channels);
    } else if (format.bits != 8 && format.bits != 16) {
        error = "unsupported sample size " + std::to_string(format.bits) + " bits";
    } else if (format.rate < kMinRate || format.rate > kMaxRate) {
        error = "implausible sample rate " + std::to_string(format.rate) + " Hz";
    } else {
        return true;
    }
    return false;
}

float decodeSample(std::span<const uint8_t> data, size_t at, uint16_t bits) {
    if (bits == 8) {
        return (static_cast<float>(data[at]) - 128.0f) / 128.0f;
    }
    return static_cast<float>(static_cast<int16_t>(readLe16(data, at))) / 32768.0f;
}

Sound decodeSamples(const Format &format, std::span<const uint8_t> data) {
    const size_t sampleBytes = format.bits / 8u;
    const size_t frameBytes = sampleBytes * format.channels;
    const size_t frames = data.size() / frameBytes;
    Sound sound;
    sound.rate = format.rate;
    sound.samples.resize(frames);
    for (size_t frame = 0; frame < frames; ++frame) {
        float sum = 0.0f;
        for (size_t channel = 0; channel < format.channels; ++channel) {
            sum += decodeSample(data, frame * frameBytes + channel * sampleBytes, format.bits);
        }
        sound.samples[frame] = sum / static_cast<float>(format.channels);
    }
    return sound;
}

} // namespace

std::array<uint8_t, kWavHeaderBytes> makeWavHeader(uint32_t dataBytes, uint32_t rate,
                                                   uint16_t channels, uint16_t bits) {
    const auto blockAlign = static_cast<uint16_t>(channels * (bits / 8));
    std::array<uint8_t, kWavHeaderBytes> header{};
    std::memcpy(&header[0], "RIFF", 4);
    putLe32(&header[4], dataBytes + 36);
    std::memcpy(&header[8], "WAVEfmt ", 8);
    putLe32(&header[16], 16);
    putLe16(&header[20], kPcmTag);
    putLe16(&header[22], channels);
    putLe32(&header[24], rate);
    putLe32(&header[28], rate * blockAlign);
    putLe16(&header[32], blockAlign);
    putLe16(&header[34], bits);
    std::memcpy(&header[36], "data", 4);
    putLe32(&header[40], dataBytes);
    return header;
}

std::optional<Sound> decodeWav(std::span<const uint8_t> image, std::string &error) {
    if (!hasId(image, 0, "RIFF") || !hasId(image, 8, "WAVE")) {
        error = "not a RIFF/WAVE file";
        return std::nullopt;
    }
    std::optional<Format> format;
    size_t at = 12;
    while (at + 8 <= image.size()) {
        const uint32_t length = readLe32(image, at + 4);
        const size_t body = at + 8;
        const size_t available = image.size() - body;
        if (hasId(image, at, "fmt ")) {
            if (length < 16 || length > available) {
                error = "damaged format chunk";
                return std::nullopt;
            }
            format = Format{readLe16(image, body), readLe16(image, body + 2),
                            readLe32(image, body + 4), readLe16(image, body + 14)};
            if (!checkFormat(*format, error)) {
                return std::nullopt;
            }
        } else if (hasId(image, at, "data")) {
            if (!format) {
                error = "data chunk before the format chunk";
                return std::nullopt;
            }
            return decodeSamples(*format, image.subspan(body, std::min<size_t>(length, available)));
        }
        if (length >= available) {
            break;
        }
        at = body + length + (length & 1u); // chunks are padded to even sizes
    }
    error = format ? "no data chunk" : "no format chunk";
    return std::nullopt;
}

void appendSamples(std::vector<uint8_t> &out, std::span<const float> samples, uint16_t bits) {
    out.reserve(out.size() + samples.size() * (bits / 8u));
    for (float sample : samples) {
        // The same scale as decodeSample, so that a round trip keeps the level.
        const float clamped = std::clamp(sample, -1.0f, 1.0f);
        if (bits == 8) {
            const long value = std::min(255L, 128 + std::lround(clamped * 128.0f));
            out.push_back(static_cast<uint8_t>(value));
        } else {
            const long value = std::min(32767L, std::lround(clamped * 32768.0f));
            const auto word = static_cast<uint16_t>(static_cast<int16_t>(value));
            out.push_back(static_cast<uint8_t>(word & 0xFF));
            out.push_back(static_cast<uint8_t>(word >> 8));
        }
    }
}

std::vector<uint8_t> encodeWav(const Sound &sound, uint16_t bits) {
    const size_t sampleBytes = bits / 8u;
    const auto dataBytes = static_cast<uint32_t>(sound.samples.size() * sampleBytes);
    const auto header = makeWavHeader(dataBytes, sound.rate, 1, bits);
    std::vector<uint8_t> image(header.begin(), header.end());
    appendSamples(image, sound.samples, bits);
    return image;
}

bool readFileBytes(const std::string &path, std::vector<uint8_t> &out, std::string &error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = path + ": read error";
        return false;
    }
    return true;
}

bool writeFileAtomically(const std::string &path, std::span<const uint8_t> bytes,
                         std::string &error) {
    AtomicOutput output(path);
    std::FILE *file = std::fopen(output.writePath().c_str(), "wb");
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool written =
        std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    const int writeError = errno;
    if (std::fclose(file) != 0 || !written) {
        error = path + ": " + std::strerror(written ? errno : writeError);
        return false;
    }
    return output.commit(error);
}

} // namespace wavkit
