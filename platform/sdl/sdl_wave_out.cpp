// The wave-out device: blocks queued by the program are played in order by
// SDL's audio callback, which posts Msg::WaveDone for each block it has
// finished. The callback touches nothing but this file's block queue and
// callback history, both guarded by the device lock.
//
// The program closes its device after every sound, but closing an SDL device
// takes up to three buffers (SDL lets the sound drain) and opening one on a
// desktop sound server takes longer still. So the SDL devices of the last
// two formats stay open: the one in use plays silence while nothing is
// queued, the other is paused. A third format closes the least recently
// used one.
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_probe.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace sdl_backend {

namespace {

constexpr int32_t WaveInvalidParam = 11; // MMSYSERR_INVALPARAM
constexpr size_t BlockCapacity = 16;
constexpr size_t HistoryCapacity = 512;
constexpr size_t DeviceSlots = 2;

struct QueuedBlock {
    uint32_t id = 0;
    const uint8_t *data = nullptr;
    uint32_t length = 0;
    uint32_t played = 0;
};

struct DeviceSlot {
    platform::WaveFormat format;
    uint8_t silence = 0x80;
    uint64_t lastUse = 0;
    AudioDevice device;
};

struct WaveOutState {
    // Shared with the audio callback of the playing device, under its lock.
    std::array<QueuedBlock, BlockCapacity> blocks{};
    size_t head = 0, count = 0;
    std::array<WaveCallbackRecord, HistoryCapacity> history{};
    size_t historyNext = 0, historyCount = 0;
    uint8_t silence = 0x80;
    // Main thread only. The devices are declared last so that they (and
    // their threads) go before the queue they read.
    bool handedOut = false; // between waveOpen and waveClose
    bool openFailureReported = false;
    uint64_t uses = 0;
    DeviceSlot *playing = nullptr; // the one device not paused
    std::array<DeviceSlot, DeviceSlots> slots;
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

DeviceSlot *openSlotFor(const platform::WaveFormat &format) {
    for (DeviceSlot &slot : state.slots) {
        if (slot.device.isOpen() && sameFormat(slot.format, format))
            return &slot;
    }
    return nullptr;
}

DeviceSlot &slotToReplace() {
    return *std::min_element(
        state.slots.begin(), state.slots.end(), [](const DeviceSlot &a, const DeviceSlot &b) {
            return a.device.isOpen() == b.device.isOpen() ? a.lastUse < b.lastUse
                                                          : !a.device.isOpen();
        });
}

bool openSlot(DeviceSlot &slot, const platform::WaveFormat &format) {
    if (state.playing == &slot)
        state.playing = nullptr;
    slot.device = openPlaybackDevice(format, fillFromQueue, &state, &slot.silence);
    slot.format = format;
    return slot.device.isOpen();
}

// The wave player takes a failed open as silence; whoever started the
// program is told once why nothing is heard.
void reportOpenFailure() {
    if (state.openFailureReported)
        return;
    state.openFailureReported = true;
    std::fprintf(stderr, "Sound device cannot be opened, playing silently: %s\n", SDL_GetError());
}

// Some systems (and SDL's dummy driver) allow one open device only.
bool closeIdleSlots(const DeviceSlot *keep) {
    bool closed = false;
    for (DeviceSlot &slot : state.slots) {
        if (&slot == keep || !slot.device.isOpen())
            continue;
        if (state.playing == &slot)
            state.playing = nullptr;
        slot.device.close();
        closed = true;
    }
    return closed;
}

// Only one device runs the callback: pausing waits until the old one has
// left it, and the new one starts after the silence byte is its own.
void makePlaying(DeviceSlot &slot) {
    if (state.playing == &slot)
        return;
    if (state.playing != nullptr)
        SDL_PauseAudioDevice(state.playing->device.id(), 1);
    state.silence = slot.silence;
    state.playing = &slot;
    SDL_PauseAudioDevice(slot.device.id(), 0);
}

} // namespace

size_t waveCallbackHistory(WaveCallbackRecord *out, size_t capacity) {
    if (state.playing == nullptr)
        return 0;
    DeviceLock lock(state.playing->device.id());
    const size_t n = std::min(capacity, state.historyCount);
    const size_t oldest =
        (state.historyNext + HistoryCapacity - state.historyCount) % HistoryCapacity;
    const size_t first = oldest + (state.historyCount - n);
    for (size_t i = 0; i < n; ++i)
        out[i] = state.history[(first + i) % HistoryCapacity];
    return n;
}

uint32_t waveBufferFrames() {
    return state.playing != nullptr ? bufferFramesFor(state.playing->format.rate) : 0;
}

bool releaseIdleWaveDevices() {
    return closeIdleSlots(state.handedOut ? state.playing : nullptr);
}

void shutdownWaveOut() {
    state.playing = nullptr;
    for (DeviceSlot &slot : state.slots)
        slot.device.close();
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
    DeviceSlot *slot = openSlotFor(format);
    if (slot == nullptr) {
        slot = &slotToReplace();
        if (!openSlot(*slot, format) && (!closeIdleSlots(nullptr) || !openSlot(*slot, format))) {
            reportOpenFailure();
            return WaveBadDeviceId;
        }
    }
    slot->lastUse = ++state.uses;
    makePlaying(*slot);
    state.handedOut = true;
    return WaveOk;
}

int32_t waveWrite(uint32_t blockId, const uint8_t *data, uint32_t length) {
    if (!state.handedOut)
        return WaveInvalidHandle;
    if (data == nullptr && length > 0)
        return WaveInvalidParam;
    DeviceLock lock(state.playing->device.id());
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
    if (state.playing == nullptr)
        return;
    std::array<uint32_t, BlockCapacity> dropped{};
    size_t droppedCount = 0;
    {
        DeviceLock lock(state.playing->device.id());
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
