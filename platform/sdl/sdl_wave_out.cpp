// The wave-out device: blocks queued by the program are played in order by
// SDL's audio callback, which posts Msg::WaveDone for each block it has
// finished. The callback touches nothing but this file's block queue and
// callback history, both guarded by the device lock.
//
// The SDL device is kept open between sounds of the same format (closing
// and reopening a device takes tens of milliseconds on a desktop sound
// server, and the program closes its device after every sound); while no
// block is queued it plays silence.
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_probe.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

namespace sdl_backend {

namespace {

constexpr int32_t WaveInvalidParam = 11; // MMSYSERR_INVALPARAM
constexpr size_t BlockCapacity = 16;
constexpr size_t HistoryCapacity = 64;

struct QueuedBlock {
    uint32_t id = 0;
    const uint8_t *data = nullptr;
    uint32_t length = 0;
    uint32_t played = 0;
};

struct WaveOutState {
    // Shared with the audio callback, under the device lock.
    std::array<QueuedBlock, BlockCapacity> blocks{};
    size_t head = 0, count = 0;
    std::array<WaveCallbackRecord, HistoryCapacity> history{};
    size_t historyNext = 0, historyCount = 0;
    uint8_t silence = 0x80;
    // Main thread only. Declared last so that the device (and its thread)
    // goes before the queue it reads.
    platform::WaveFormat format;
    bool handedOut = false; // between waveOpen and waveClose
    AudioDevice device;
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

void recordCallback(WaveOutState &s, int64_t startNs, uint32_t soundBytes, uint32_t silenceBytes) {
    s.history[s.historyNext] = WaveCallbackRecord{startNs, soundBytes, silenceBytes};
    s.historyNext = (s.historyNext + 1) % HistoryCapacity;
    s.historyCount = std::min(s.historyCount + 1, HistoryCapacity);
}

// SDL's audio thread, with the device locked.
void fillFromQueue(void *userData, Uint8 *stream, int length) {
    WaveOutState &s = *static_cast<WaveOutState *>(userData);
    const int64_t startNs = steadyNowNs();
    const auto total = static_cast<uint32_t>(length);
    uint32_t written = 0;
    while (s.count > 0) {
        QueuedBlock &block = s.blocks[s.head];
        const uint32_t n = std::min(total - written, block.length - block.played);
        if (n > 0)
            std::memcpy(stream + written, block.data + block.played, n);
        written += n;
        block.played += n;
        if (block.played < block.length)
            break;
        postDone(block.id);
        s.head = (s.head + 1) % BlockCapacity;
        --s.count;
    }
    std::memset(stream + written, s.silence, total - written);
    recordCallback(s, startNs, written, total - written);
}

bool sameFormat(const platform::WaveFormat &a, const platform::WaveFormat &b) {
    return a.rate == b.rate && a.bits == b.bits && a.channels == b.channels;
}

class DeviceLock {
public:
    explicit DeviceLock(SDL_AudioDeviceID id) : id_(id) { SDL_LockAudioDevice(id_); }
    ~DeviceLock() { SDL_UnlockAudioDevice(id_); }
    DeviceLock(const DeviceLock &) = delete;
    DeviceLock &operator=(const DeviceLock &) = delete;

private:
    SDL_AudioDeviceID id_;
};

bool openDeviceFor(const platform::WaveFormat &format) {
    state.device.close();
    state.head = state.count = 0;
    state.historyNext = state.historyCount = 0;
    state.device = openPlaybackDevice(format, fillFromQueue, &state, &state.silence);
    if (!state.device.isOpen())
        return false;
    state.format = format;
    SDL_PauseAudioDevice(state.device.id(), 0);
    return true;
}

} // namespace

size_t waveCallbackHistory(WaveCallbackRecord *out, size_t capacity) {
    if (!state.device.isOpen())
        return 0;
    DeviceLock lock(state.device.id());
    const size_t n = std::min(capacity, state.historyCount);
    const size_t oldest =
        (state.historyNext + HistoryCapacity - state.historyCount) % HistoryCapacity;
    const size_t first = oldest + (state.historyCount - n);
    for (size_t i = 0; i < n; ++i)
        out[i] = state.history[(first + i) % HistoryCapacity];
    return n;
}

uint32_t waveBufferFrames() {
    return state.device.isOpen() ? bufferFramesFor(state.format.rate) : 0;
}

void shutdownWaveOut() {
    state.device.close();
    state.head = state.count = 0;
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
    if (state.handedOut)
        waveClose();
    if (!state.device.isOpen() || !sameFormat(state.format, format)) {
        if (!openDeviceFor(format))
            return WaveBadDeviceId;
    }
    state.handedOut = true;
    return WaveOk;
}

int32_t waveWrite(uint32_t blockId, const uint8_t *data, uint32_t length) {
    if (!state.handedOut)
        return WaveInvalidHandle;
    if (data == nullptr && length > 0)
        return WaveInvalidParam;
    DeviceLock lock(state.device.id());
    if (state.count == BlockCapacity)
        return WaveNoMem;
    state.blocks[(state.head + state.count) % BlockCapacity] =
        QueuedBlock{blockId, data, length, 0};
    ++state.count;
    return WaveOk;
}

int32_t waveUnprepare(uint32_t) {
    return WaveOk;
}

void waveReset() {
    if (!state.device.isOpen())
        return;
    std::array<uint32_t, BlockCapacity> dropped{};
    size_t droppedCount = 0;
    {
        DeviceLock lock(state.device.id());
        for (; droppedCount < state.count; ++droppedCount)
            dropped[droppedCount] = state.blocks[(state.head + droppedCount) % BlockCapacity].id;
        state.head = state.count = 0;
    }
    for (size_t i = 0; i < droppedCount; ++i)
        postDone(dropped[i]);
}

void waveClose() {
    if (!state.handedOut)
        return;
    waveReset();
    state.handedOut = false;
}

} // namespace platform
