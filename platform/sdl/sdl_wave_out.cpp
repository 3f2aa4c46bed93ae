// The wave-out device as the program sees it, played through the one
// playback device: waveOpen and waveClose only choose the converter from the
// sound's format to the device's (an SDL_AudioStream), and queued blocks are
// fed through it by the device's callback, which posts Msg::WaveDone for
// each block once its last sample has gone to SDL. Nothing here waits on
// the sound server: the callback and the program share the queue under a
// mutex that either side holds for a few microseconds.
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_probe.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <mutex>

namespace sdl_backend {

namespace {

constexpr int32_t WaveInvalidParam = 11; // MMSYSERR_INVALPARAM
constexpr size_t BlockCapacity = 16;
constexpr size_t HistoryCapacity = 512;
// Source frames handed to the converter at a time.
constexpr uint32_t FeedFrames = 1024;
// Converted samples taken from it at a time (on the callback's stack).
constexpr size_t TakeSamples = 1024;

struct QueuedBlock {
    uint32_t id = 0;
    const uint8_t *data = nullptr;
    uint32_t length = 0; // whole frames only: the converter takes no part of one
    uint32_t fed = 0;    // bytes handed to the converter
};

struct Shared {
    std::mutex mutex;
    AudioStreamPtr stream; // the current sound format's converter
    uint32_t frameBytes = 1;
    std::array<QueuedBlock, BlockCapacity> blocks{};
    size_t head = 0, count = 0;
    std::array<WaveCallbackRecord, HistoryCapacity> history{};
    size_t historyNext = 0, historyCount = 0;
    bool silent = false; // the device is gone: blocks are done as they come
};

struct WaveOutState {
    Shared shared;
    // Main thread only.
    bool handedOut = false; // between waveOpen and waveClose
    platform::WaveFormat format;
};

WaveOutState state;

int64_t steadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void postDone(uint32_t blockId) {
    platform::Message done;
    done.kind = platform::Msg::WaveDone;
    done.code = blockId;
    platform::postMessage(done);
}

void recordCallback(Shared &s, int64_t startNs, uint32_t soundBytes, uint32_t silenceBytes) {
    s.history[s.historyNext] = WaveCallbackRecord{startNs, soundBytes, silenceBytes};
    s.historyNext = (s.historyNext + 1) % HistoryCapacity;
    s.historyCount = std::min(s.historyCount + 1, HistoryCapacity);
}

// Adds up to `wanted` converted samples to `out`; returns how many.
size_t takeConverted(Shared &s, float *out, size_t wanted) {
    std::array<float, TakeSamples> piece;
    size_t taken = 0;
    while (taken < wanted) {
        const size_t n = std::min(wanted - taken, wholeFrameSamples(piece.size()));
        const int got =
            SDL_AudioStreamGet(s.stream.get(), piece.data(), static_cast<int>(n * sizeof(float)));
        if (got <= 0)
            break;
        const size_t samples = static_cast<size_t>(got) / sizeof(float);
        for (size_t i = 0; i < samples; ++i)
            out[taken + i] += piece[i];
        taken += samples;
    }
    return taken;
}

// Hands the converter the next part of the oldest block. A block's end is
// flushed through, so that its last sample comes out before it counts as
// done; false when the block was already all converted and taken.
bool feedOldestBlock(Shared &s) {
    QueuedBlock &block = s.blocks[s.head];
    if (block.fed == block.length)
        return false;
    const uint32_t n = std::min(block.length - block.fed, FeedFrames * s.frameBytes);
    SDL_AudioStreamPut(s.stream.get(), block.data + block.fed, static_cast<int>(n));
    block.fed += n;
    if (block.fed == block.length)
        SDL_AudioStreamFlush(s.stream.get());
    return true;
}

} // namespace

// SDL's audio thread.
void mixWaveOut(float *out, size_t samples) {
    const int64_t startNs = steadyNowNs();
    Shared &s = state.shared;
    std::lock_guard lock(s.mutex);
    size_t filled = 0;
    while (filled < samples && s.stream != nullptr) {
        filled += takeConverted(s, out + filled, samples - filled);
        if (filled == samples || s.count == 0)
            break;
        if (!feedOldestBlock(s)) {
            postDone(s.blocks[s.head].id);
            s.head = (s.head + 1) % BlockCapacity;
            --s.count;
        }
    }
    const auto bytes = [](size_t n) { return static_cast<uint32_t>(n * sizeof(float)); };
    recordCallback(s, startNs, bytes(filled), bytes(samples - filled));
}

size_t waveCallbackHistory(WaveCallbackRecord *out, size_t capacity) {
    Shared &s = state.shared;
    std::lock_guard lock(s.mutex);
    const size_t n = std::min(capacity, s.historyCount);
    const size_t oldest = (s.historyNext + HistoryCapacity - s.historyCount) % HistoryCapacity;
    const size_t first = oldest + (s.historyCount - n);
    for (size_t i = 0; i < n; ++i)
        out[i] = s.history[(first + i) % HistoryCapacity];
    return n;
}

void finishWaveOutSilently() {
    Shared &s = state.shared;
    std::lock_guard lock(s.mutex);
    s.silent = true;
    for (; s.count > 0; --s.count) {
        postDone(s.blocks[s.head].id);
        s.head = (s.head + 1) % BlockCapacity;
    }
    s.head = 0;
    s.stream.reset();
}

// After the device is closed: nothing reads the queue any more.
void shutdownWaveOut() {
    Shared &s = state.shared;
    std::lock_guard lock(s.mutex);
    s.stream.reset();
    s.head = s.count = 0;
    state.handedOut = false;
}

} // namespace sdl_backend

namespace platform {

using namespace sdl_backend;

int32_t waveOpen(const WaveFormat &format) {
    if (!playableFormat(format))
        return WaveBadFormat;
    if (!ensureAudio())
        return WaveNoDriver;
    if (!outputOpen())
        return WaveBadDeviceId;
    if (state.handedOut)
        waveClose();
    Shared &s = state.shared;
    if (outputLost()) { // blocks are taken and done at once, in silence
        state.handedOut = true;
        return WaveOk;
    }
    const bool sameFormat = format.rate == state.format.rate && format.bits == state.format.bits &&
                            format.channels == state.format.channels;
    if (s.stream == nullptr || !sameFormat) {
        AudioStreamPtr stream(newStreamToOutput(format));
        if (stream == nullptr)
            return WaveBadFormat;
        {
            std::lock_guard lock(s.mutex);
            std::swap(s.stream, stream);
            s.frameBytes = format.channels * (format.bits / 8u);
        }
        state.format = format;
    } // the old converter goes here, out of the callback's reach
    state.handedOut = true;
    return WaveOk;
}

int32_t waveWrite(uint32_t blockId, const uint8_t *data, uint32_t length) {
    if (!state.handedOut)
        return WaveInvalidHandle;
    if (data == nullptr && length > 0)
        return WaveInvalidParam;
    Shared &s = state.shared;
    std::lock_guard lock(s.mutex);
    if (s.silent) {
        postDone(blockId);
        return WaveOk;
    }
    if (s.count == BlockCapacity)
        return WaveNoMem;
    s.blocks[(s.head + s.count) % BlockCapacity] =
        QueuedBlock{blockId, data, length - length % s.frameBytes, 0};
    ++s.count;
    return WaveOk;
}

int32_t waveUnprepare(uint32_t) {
    return WaveOk;
}

// Every queued block is returned at once, in queue order, and what the
// converter still holds is dropped: the next callback plays silence.
void waveReset() {
    Shared &s = state.shared;
    std::lock_guard lock(s.mutex);
    for (; s.count > 0; --s.count) {
        postDone(s.blocks[s.head].id);
        s.head = (s.head + 1) % BlockCapacity;
    }
    s.head = 0;
    if (s.stream != nullptr)
        SDL_AudioStreamClear(s.stream.get());
}

void waveClose() {
    if (!state.handedOut)
        return;
    waveReset();
    state.handedOut = false;
}

} // namespace platform
