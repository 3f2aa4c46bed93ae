// The looping sound of the tone generator: a WAV image in memory played over
// and over on a device of its own until it is stopped.
#include "platform/sdl/sdl_internal.h"
#include "platform/wav_format.h"

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

// The image the tone generator writes, and its samples (cut to whole frames
// within the image).
std::optional<WavImage> parseWavImage(const uint8_t *image, size_t size) {
    if (image == nullptr)
        return std::nullopt;
    const auto layout = wav::parseImage({image, size}, wav::Chunks::FormatFirst);
    if (!layout || layout->format.tag != wav::PcmTag)
        return std::nullopt;
    WavImage sound;
    sound.format = {layout->format.rate, layout->format.bits, layout->format.channels};
    if (!playableFormat(sound.format))
        return std::nullopt;
    const size_t frameBytes = wav::blockAlign(sound.format.channels, sound.format.bits);
    sound.samples = image + layout->dataStart;
    sound.length = layout->dataLength - layout->dataLength % frameBytes;
    if (sound.length == 0)
        return std::nullopt;
    return sound;
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
