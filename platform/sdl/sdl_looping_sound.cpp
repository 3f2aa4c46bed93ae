// The looping sound of the tone generator: a WAV image in memory played
// over and over through the playback device until it is stopped. Starting
// and stopping only hand the image to the device's callback or take it
// back, under a mutex the callback holds for a few microseconds.
#include "platform/sdl/sdl_internal.h"
#include "platform/wav_format.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <optional>

namespace sdl_backend {

namespace {

// Source frames handed to the converter at a time, and converted samples
// taken from it at a time (on the callback's stack).
constexpr size_t FeedFrames = 1024;
constexpr size_t TakeSamples = 1024;

struct LoopingState {
    std::mutex mutex;
    AudioStreamPtr stream; // null while nothing loops
    const uint8_t *samples = nullptr;
    size_t length = 0; // whole frames
    size_t frameBytes = 1;
    size_t position = 0;
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

// Hands the converter the next part of the loop, from where it left off;
// false when the converter refuses it.
bool feedLoop(LoopingState &s) {
    const size_t n = std::min(s.length - s.position, FeedFrames * s.frameBytes);
    if (SDL_AudioStreamPut(s.stream.get(), s.samples + s.position, static_cast<int>(n)) != 0)
        return false;
    s.position = (s.position + n) % s.length;
    return true;
}

} // namespace

// SDL's audio thread.
void mixLoopingSound(float *out, size_t samples) {
    LoopingState &s = state;
    std::lock_guard lock(s.mutex);
    if (s.stream == nullptr)
        return;
    std::array<float, TakeSamples> piece;
    size_t filled = 0;
    while (filled < samples) {
        const size_t n = std::min(samples - filled, wholeFrameSamples(piece.size()));
        const int got =
            SDL_AudioStreamGet(s.stream.get(), piece.data(), static_cast<int>(n * sizeof(float)));
        if (got < 0 || (got == 0 && !feedLoop(s)))
            return;
        const size_t taken = static_cast<size_t>(got) / sizeof(float);
        for (size_t i = 0; i < taken; ++i)
            out[filled + i] += piece[i];
        filled += taken;
    }
}

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
    AudioStreamPtr stream(newStreamToOutput(wav->format));
    if (stream == nullptr)
        return;
    std::lock_guard lock(state.mutex);
    state.stream = std::move(stream);
    state.samples = wav->samples;
    state.length = wav->length;
    state.frameBytes = wav::blockAlign(wav->format.channels, wav->format.bits);
    state.position = 0;
}

// Once this returns, the callback no longer reads the image.
void stopLoopingSound() {
    AudioStreamPtr stream;
    {
        std::lock_guard lock(state.mutex);
        std::swap(stream, state.stream);
        state.samples = nullptr;
        state.length = 0;
    }
}

} // namespace platform
