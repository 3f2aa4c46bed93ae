// Square-wave tones, played in a loop from a WAV image in memory.
#include "console/console_state.h"
#include "platform/wav_format.h"

#include <cstring>

namespace console {

namespace {

constexpr size_t HeaderBytes = wav::HeaderSize;
constexpr uint32_t Rate = 11025;
constexpr size_t ToneBufferBytes = HeaderBytes + Rate + 2;
constexpr uint8_t Low = 96, High = 160, Silence = 128;

} // namespace

void beepTone(uint16_t hz) {
    auto &s = state();
    if (!s.toneBuffer.empty())
        stopTone();
    if (hz == 0)
        hz = 1;
    if (hz > Rate)
        hz = static_cast<uint16_t>(Rate);
    s.toneBuffer.assign(ToneBufferBytes, Silence);
    uint8_t *buffer = s.toneBuffer.data();
    const uint32_t period = Rate / hz;
    const uint32_t half = period / 2;
    // Each period's last byte is overwritten by the next period's first.
    uint32_t start = 0;
    for (uint32_t k = 0;; ++k) {
        start = static_cast<uint32_t>(HeaderBytes + uint64_t{k} * Rate / hz);
        if (start + period > Rate)
            break;
        std::memset(buffer + start, Low, half + 1);
        std::memset(buffer + start + half, High, period - half + 1);
    }
    buffer[start - 1] = Silence;
    wav::writeHeader(buffer, static_cast<uint32_t>(start - HeaderBytes), Rate, 1, 8);
    platform::trace::tone(hz);
    platform::playLoopingSound(buffer, s.toneBuffer.size());
}

void stopTone() {
    auto &s = state();
    if (s.toneBuffer.empty())
        return;
    platform::stopLoopingSound();
    s.toneBuffer.clear();
    s.toneBuffer.shrink_to_fit();
}

} // namespace console
