#include "app/sound_layout.h"

#include "tools/wavconv/wav_dsp.h"
#include "tools/wavconv/wav_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace zebfala {
namespace {

// Samples of one block as mono -1..1 at the block's own rate.
std::vector<float> blockSamples(const headless::TimedBlock &block) {
    const size_t bytesPerSample = block.format.bits == 16 ? 2 : 1;
    const size_t channels = block.format.channels == 0 ? 1 : block.format.channels;
    const size_t frames = block.bytes.size() / (bytesPerSample * channels);
    std::vector<float> samples(frames);
    for (size_t frame = 0; frame < frames; ++frame) {
        float sum = 0.0f;
        for (size_t channel = 0; channel < channels; ++channel) {
            const size_t at = (frame * channels + channel) * bytesPerSample;
            if (bytesPerSample == 2) {
                const auto value = static_cast<int16_t>(block.bytes[at] | block.bytes[at + 1] << 8);
                sum += static_cast<float>(value) / 32768.0f;
            } else {
                sum += (static_cast<float>(block.bytes[at]) - 128.0f) / 128.0f;
            }
        }
        samples[frame] = sum / static_cast<float>(channels);
    }
    return samples;
}

} // namespace

void SoundLayout::add(const headless::TimedBlock &block, uint64_t originUs) {
    const auto samples = wavkit::resample(blockSamples(block), block.format.rate, rate_);
    const uint64_t start = std::max((block.startUs - originUs) * rate_ / 1000000, base_);
    const size_t offset = static_cast<size_t>(start - base_);
    if (pending_.size() < offset + samples.size())
        pending_.resize(offset + samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        pending_[offset + i] += samples[i];
    // No later block starts before this one: what lies before it is final.
    sink_(std::span(pending_).first(offset));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(offset));
    base_ = start;
}

void SoundLayout::finish(uint64_t endUs) {
    const uint64_t end = endUs * rate_ / 1000000;
    if (end > base_ && pending_.size() < end - base_)
        pending_.resize(static_cast<size_t>(end - base_));
    sink_(pending_);
    base_ += pending_.size();
    pending_.clear();
}

WavStream::WavStream(const std::string &path, uint32_t rate) : path_(path), rate_(rate) {
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        error_ = errno;
        return;
    }
    const auto header =
        wavkit::makeWavHeader(std::numeric_limits<uint32_t>::max() - 36, rate_, 1, 16);
    if (std::fwrite(header.data(), 1, header.size(), file_) != header.size())
        error_ = errno;
}

WavStream::~WavStream() {
    if (file_)
        std::fclose(file_);
}

void WavStream::write(std::span<const float> samples) {
    if (!file_ || error_ != 0 || samples.empty())
        return;
    bytes_.clear();
    wavkit::appendSamples(bytes_, samples, 16);
    if (std::fwrite(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size())
        error_ = errno;
    dataBytes_ += bytes_.size();
}

bool WavStream::finish(std::string &error) {
    if (file_ && error_ == 0 && std::fflush(file_) != 0)
        error_ = errno;
    // The lengths, where the file can be rewound; a 4 GB file keeps FFFFFFFF.
    if (file_ && error_ == 0 && dataBytes_ <= std::numeric_limits<uint32_t>::max() - 36 &&
        std::fseek(file_, 0, SEEK_SET) == 0) {
        const auto header = wavkit::makeWavHeader(static_cast<uint32_t>(dataBytes_), rate_, 1, 16);
        if (std::fwrite(header.data(), 1, header.size(), file_) != header.size())
            error_ = errno;
    }
    if (file_ && std::fclose(file_) != 0 && error_ == 0)
        error_ = errno;
    file_ = nullptr;
    if (error_ != 0) {
        error = path_ + ": " + std::strerror(error_);
        return false;
    }
    return true;
}

} // namespace zebfala
