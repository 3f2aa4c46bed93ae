// A look into the SDL backend's wave-out device for latency measurements:
// when its callback ran and how much of what it handed to SDL was sound.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sdl_backend {

struct WaveCallbackRecord {
    int64_t steadyNs = 0;      // std::chrono::steady_clock time at the callback's start
    uint32_t soundBytes = 0;   // bytes taken from queued blocks
    uint32_t silenceBytes = 0; // bytes of silence after them
};

// The most recent callbacks of the open wave-out device, oldest first (the
// device keeps the last 512). Returns how many were copied.
size_t waveCallbackHistory(WaveCallbackRecord *out, size_t capacity);

// Sample frames per callback of the open wave-out device; 0 when none is open.
uint32_t waveBufferFrames();

} // namespace sdl_backend
