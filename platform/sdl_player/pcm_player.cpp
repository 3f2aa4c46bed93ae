#include "platform/sdl_player/pcm_player.h"

#include <SDL.h>

namespace pcm_player {

namespace {

// SDL's audio subsystem for the length of one playback.
class AudioSession {
public:
    AudioSession() : ok_(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {}
    ~AudioSession() {
        if (ok_)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    AudioSession(const AudioSession &) = delete;
    AudioSession &operator=(const AudioSession &) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

class Device {
public:
    explicit Device(uint32_t rate) {
        SDL_AudioSpec want{};
        want.freq = static_cast<int>(rate);
        want.format = AUDIO_S16SYS;
        want.channels = 1;
        want.samples = 1024;
        id_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    }
    ~Device() {
        if (id_ != 0)
            SDL_CloseAudioDevice(id_);
    }
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;
    SDL_AudioDeviceID id() const { return id_; }

private:
    SDL_AudioDeviceID id_ = 0;
};

} // namespace

bool playAndWait(const std::vector<int16_t> &samples, uint32_t rate, std::string &error) {
    AudioSession session;
    if (!session.ok()) {
        error = std::string("no sound: ") + SDL_GetError();
        return false;
    }
    Device device(rate);
    if (device.id() == 0) {
        error = std::string("cannot open the sound device: ") + SDL_GetError();
        return false;
    }
    if (SDL_QueueAudio(device.id(), samples.data(),
                       static_cast<Uint32>(samples.size() * sizeof(int16_t))) != 0) {
        error = std::string("cannot play: ") + SDL_GetError();
        return false;
    }
    SDL_PauseAudioDevice(device.id(), 0);
    while (SDL_GetQueuedAudioSize(device.id()) > 0)
        SDL_Delay(20);
    SDL_Delay(100); // what the device itself still holds
    return true;
}

} // namespace pcm_player
