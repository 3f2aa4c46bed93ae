// The looping sound of the tone generator: a WAV image in memory played over
// and over on a device of its own until it is stopped.
#include "platform/sdl/sdl_internal.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace sdl_backend {

namespace {

struct LoopingState {
    // Read by the audio callback; set only while the device is closed.
    const uint8_t *samples = nullptr;
    size_t length = 0;
    size_t position = 0;
    AudioDevice device; // last: it goes first
};

LoopingState state;

struct WavImage {
    platform::WaveFormat format;
    const uint8_t *samples = nullptr;
    size_t length = 0;
};

constexpr size_t HeaderSize = 44;

uint32_t readLe(const uint8_t *p, size_t bytes) {
    uint32_t value = 0;
    for (size_t i = bytes; i > 0; --i)
        value = (value << 8) | p[i - 1];
    return value;
}

// The canonical 44-byte header the tone generator writes, and its samples
// (cut to whole frames within the image).
std::optional<WavImage> parseWavImage(const uint8_t *image, size_t size) {
    if (image == nullptr || size < HeaderSize || std::memcmp(image, "RIFF", 4) != 0 ||
        std::memcmp(image + 8, "WAVE", 4) != 0 || std::memcmp(image + 12, "fmt ", 4) != 0 ||
        std::memcmp(image + 36, "data", 4) != 0 || readLe(image + 20, 2) != 1)
        return std::nullopt;
    WavImage wav;
    wav.format.channels = static_cast<uint16_t>(readLe(image + 22, 2));
    wav.format.rate = readLe(image + 24, 4);
    wav.format.bits = static_cast<uint16_t>(readLe(image + 34, 2));
    if (!playableFormat(wav.format))
        return std::nullopt;
    const size_t frameBytes = size_t{wav.format.channels} * (wav.format.bits / 8u);
    const size_t available = std::min<size_t>(readLe(image + 40, 4), size - HeaderSize);
    wav.samples = image + HeaderSize;
    wav.length = available - available % frameBytes;
    if (wav.length == 0)
        return std::nullopt;
    return wav;
}

// SDL's audio thread.
void fillLooping(void *userData, Uint8 *stream, int length) {
    LoopingState &s = *static_cast<LoopingState *>(userData);
    auto remaining = static_cast<size_t>(length);
    while (remaining > 0) {
        const size_t n = std::min(remaining, s.length - s.position);
        std::memcpy(stream, s.samples + s.position, n);
        stream += n;
        remaining -= n;
        s.position = (s.position + n) % s.length;
    }
}

} // namespace

void shutdownLoopingSound() {
    platform::stopLoopingSound();
}

} // namespace sdl_backend

namespace platform {

using namespace sdl_backend;

void playLoopingSound(const uint8_t *wavImage, size_t size) {
    stopLoopingSound();
    const std::optional<WavImage> wav = parseWavImage(wavImage, size);
    if (!wav || !ensureAudio())
        return;
    state.samples = wav->samples;
    state.length = wav->length;
    state.position = 0;
    state.device = openPlaybackDevice(wav->format, fillLooping, &state, nullptr);
    if (!state.device.isOpen() && releaseIdleWaveDevices())
        state.device = openPlaybackDevice(wav->format, fillLooping, &state, nullptr);
    if (state.device.isOpen())
        SDL_PauseAudioDevice(state.device.id(), 0);
}

void stopLoopingSound() {
    state.device.close();
    state.samples = nullptr;
    state.length = 0;
}

} // namespace platform
