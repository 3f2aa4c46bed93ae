#include "platform/sdl/sdl_internal.h"

#include <utility>

namespace sdl_backend {

AudioDevice &AudioDevice::operator=(AudioDevice &&other) noexcept {
    if (this != &other) {
        close();
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void AudioDevice::close() {
    if (id_ != 0)
        SDL_CloseAudioDevice(std::exchange(id_, 0));
}

bool playableFormat(const platform::WaveFormat &format) {
    return (format.bits == 8 || format.bits == 16) && format.channels >= 1 &&
           format.channels <= 8 && format.rate >= 1000 && format.rate <= 384000;
}

uint16_t bufferFramesFor(uint32_t rate) {
    return rate <= 24000 ? 256 : 512;
}

AudioDevice openPlaybackDevice(const platform::WaveFormat &format, SDL_AudioCallback callback,
                               void *userData, uint8_t *silence) {
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(format.rate);
    wanted.format = format.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(format.channels);
    wanted.samples = bufferFramesFor(format.rate);
    wanted.callback = callback;
    wanted.userdata = userData;
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (id != 0 && silence != nullptr)
        *silence = obtained.silence;
    return AudioDevice(id);
}

} // namespace sdl_backend
