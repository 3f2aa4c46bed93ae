// zebfala's view of what the program played: the blocks the headless wave
// device was given, laid out at the virtual time each starts to sound as one
// mono sound, and that sound streamed into a WAV file.
#pragma once

#include "platform/headless/headless.h"
#include "tools/wavconv/resampler.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace zebfala {

// Blocks (in the order the device was given them, so each starts no earlier
// than the one before) mixed into one sound at `rate` and passed on as soon
// as no later block can reach it: memory holds about one block, whatever
// the length of the sound.
class SoundLayout {
public:
    using Sink = std::function<void(std::span<const float>)>;
    SoundLayout(uint32_t rate, Sink sink) : rate_(rate), sink_(std::move(sink)) {}

    // A block whose start is counted from `originUs`.
    void add(const headless::TimedBlock &block, uint64_t originUs);
    // Passes on the rest; the sound lasts until endUs at least (silence).
    void finish(uint64_t endUs);

private:
    const wavkit::Resampler &resamplerFrom(uint32_t blockRate);

    uint32_t rate_;
    Sink sink_;
    std::map<uint32_t, wavkit::Resampler> resamplers_; // by the blocks' rate
    uint64_t base_ = 0;                                // sample index of pending_[0]
    std::vector<float> pending_;                       // samples that a later block may still reach
};

// A 16-bit mono WAV file written as its samples come. The header's lengths
// are set at the end, or left as FFFFFFFF (a streamed file) where the file
// cannot be rewound (a pipe, a device).
class WavStream {
public:
    WavStream(const std::string &path, uint32_t rate);
    ~WavStream();
    WavStream(const WavStream &) = delete;
    WavStream &operator=(const WavStream &) = delete;

    void write(std::span<const float> samples);
    // False with the reason in `error` when any write failed.
    bool finish(std::string &error);

private:
    std::string path_;
    uint32_t rate_;
    std::FILE *file_ = nullptr;
    int error_ = 0; // errno of the first failure
    uint64_t dataBytes_ = 0;
    std::vector<uint8_t> bytes_;
};

} // namespace zebfala
