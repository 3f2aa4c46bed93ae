#include "app/sound_layout.h"

#include "tools/wavconv/wav_io.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>

namespace zebfala {
namespace {

// Samples of one block as mono -1..1 at the block's own rate.
std::vector<float> blockSamples(const headless::TimedBlock &block) {
    const uint16_t bits = block.format.bits == 16 ? 16 : 8;
    const uint16_t channels = std::max<uint16_t>(block.format.channels, 1);
    return wavkit::decodePcm(block.bytes, bits, channels);
}

// The header of a 16-bit mono file of `dataBytes` bytes of samples.
std::array<uint8_t, wav::HeaderSize> header16(uint32_t dataBytes, uint32_t rate) {
    std::array<uint8_t, wav::HeaderSize> header{};
    wav::writeHeader(header.data(), dataBytes, rate, 1, 16);
    return header;
}

} // namespace

// One filter per rate the blocks come at, made once: a sound is thousands of
// blocks at the same few rates.
const wavkit::Resampler &SoundLayout::resamplerFrom(uint32_t blockRate) {
    return resamplers_.try_emplace(blockRate, blockRate, rate_).first->second;
}

void SoundLayout::add(const headless::TimedBlock &block, uint64_t originUs) {
    const auto samples = resamplerFrom(block.format.rate).convert(blockSamples(block));
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
    const auto header = header16(std::numeric_limits<uint32_t>::max() - 36, rate_);
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
        const auto header = header16(static_cast<uint32_t>(dataBytes_), rate_);
        if (std::fwrite(header.data(), 1, header.size(), file_) != header.size())
            error_ = errno;
    }
    if (file_ && std::fclose(file_) != 0 && error_ == 0)
        error_ = errno;
    file_ = nullptr;
    if (error_ != 0) {
        error = std::strerror(error_);
        return false;
    }
    return true;
}

} // namespace zebfala
