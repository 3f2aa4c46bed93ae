// A look into the SDL backend's playback device for latency measurements:
// when its callback ran and how much of what it handed to SDL was sound.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sdl_backend {

struct WaveCallbackRecord {
    int64_t steadyNs = 0;      // std::chrono::steady_clock time at the callback's start
    uint32_t soundBytes = 0;   // device bytes made from queued blocks
    uint32_t silenceBytes = 0; // device bytes of silence after them
};

// The most recent callbacks of the playback device, oldest first (the last
// 512 are kept), with what the wave-out queue gave them. Returns how many
// were copied.
size_t waveCallbackHistory(WaveCallbackRecord *out, size_t capacity);

// The playback device: its rate, channels and sample frames per callback
// (all 0 when no device is open). One callback's frames are its period.
struct OutputInfo {
    uint32_t rate = 0;
    uint32_t channels = 0;
    uint32_t frames = 0;
};
OutputInfo outputInfo();

} // namespace sdl_backend
