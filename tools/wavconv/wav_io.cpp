#include "tools/wavconv/wav_io.h"

#include "platform/little_endian.h"
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

// Rates outside this range are damage, and resampling them would take ages.
constexpr uint32_t kMinRate = 1000;
constexpr uint32_t kMaxRate = 384000;

using Format = wav::Format;

bool checkFormat(const Format &format, std::string &error) {
    if (format.tag != wav::PcmTag) {
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
    return static_cast<float>(static_cast<int16_t>(le::read16(&data[at]))) / 32768.0f;
}

} // namespace

std::optional<Sound> decodeWav(std::span<const uint8_t> image, std::string &error) {
    wav::ImageFault fault{};
    const auto layout = wav::parseImage(image, wav::Chunks::Padded, &fault);
    if (!layout) {
        error = wav::faultText(fault);
        return std::nullopt;
    }
    if (!checkFormat(layout->format, error))
        return std::nullopt;
    Sound sound;
    sound.rate = layout->format.rate;
    sound.samples = decodePcm(image.subspan(layout->dataStart, layout->dataLength),
                              layout->format.bits, layout->format.channels);
    return sound;
}

std::vector<float> decodePcm(std::span<const uint8_t> data, uint16_t bits, uint16_t channels) {
    const size_t sampleBytes = bits / 8u;
    const size_t frameBytes = sampleBytes * channels;
    const size_t frames = data.size() / frameBytes;
    std::vector<float> samples(frames);
    for (size_t frame = 0; frame < frames; ++frame) {
        float sum = 0.0f;
        for (size_t channel = 0; channel < channels; ++channel) {
            sum += decodeSample(data, frame * frameBytes + channel * sampleBytes, bits);
        }
        samples[frame] = sum / static_cast<float>(channels);
    }
    return samples;
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
    std::vector<uint8_t> image(wav::HeaderSize);
    wav::writeHeader(image.data(), dataBytes, sound.rate, 1, bits);
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
