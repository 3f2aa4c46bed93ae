// The one playback device of the program. It is opened when audio starts,
// in the format the sound server itself runs (so that the server does not
// resample), and stays open until the program ends: opening or closing a
// device on a desktop sound server takes tens of milliseconds to seconds,
// which a key must never wait for. Its callback mixes the two sources, the
// wave-out queue and the looping sound, each converted by SDL to this
// device's format; while both are idle it plays silence.
#include "platform/sdl/sdl_internal.h"
#include "platform/sdl/sdl_probe.h"

#include <cstdio>
#include <cstring>

namespace sdl_backend {

namespace {

// Used when SDL cannot tell the server's own format (drivers without a
// server, such as the dummy and disk drivers): what sound cards run.
constexpr int FallbackRate = 48000;
constexpr Uint8 FallbackChannels = 2;
// About 5 ms per callback: a cut or a new sound waits at most that long
// before it reaches the server.
constexpr int CallbackMs = 5;

struct DeviceState {
    SDL_AudioDeviceID id = 0;
    OutputFormat format;
    bool lostReported = false;
};

DeviceState state;

Uint16 framesPerCallback(int rate) {
    Uint16 frames = 64;
    while (frames < rate * CallbackMs / 1000)
        frames = static_cast<Uint16>(frames * 2);
    return frames;
}

// SDL's audio thread. Both sources add to the silence.
void fillOutput(void *, Uint8 *stream, int length) {
    std::memset(stream, 0, static_cast<size_t>(length));
    auto *out = reinterpret_cast<float *>(stream);
    const size_t samples = static_cast<size_t>(length) / sizeof(float);
    mixWaveOut(out, samples);
    mixLoopingSound(out, samples);
}

SDL_AudioSpec wantedSpec() {
    SDL_AudioSpec server{};
    char *name = nullptr;
    const bool known = SDL_GetDefaultAudioInfo(&name, &server, 0) == 0 && server.freq > 0 &&
                       server.channels >= 1 && server.channels <= 8;
    SDL_free(name);
    SDL_AudioSpec wanted{};
    wanted.freq = known ? server.freq : FallbackRate;
    wanted.channels = known ? server.channels : FallbackChannels;
    wanted.format = AUDIO_F32SYS;
    wanted.samples = framesPerCallback(wanted.freq);
    wanted.callback = fillOutput;
    return wanted;
}

} // namespace

bool openOutputDevice() {
    const SDL_AudioSpec wanted = wantedSpec();
    SDL_AudioSpec obtained{};
    // The rate and the channels the device gives are taken as they are;
    // the sample format stays float, which SDL converts if it must.
    state.id =
        SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (state.id == 0) {
        std::fprintf(stderr, "Sound device cannot be opened, playing silently: %s\n",
                     SDL_GetError());
        return false;
    }
    state.format = {obtained.freq, obtained.channels, obtained.samples};
    SDL_PauseAudioDevice(state.id, 0);
    return true;
}

bool outputOpen() {
    return state.id != 0;
}

const OutputFormat &outputFormat() {
    return state.format;
}

SDL_AudioStream *newStreamToOutput(const platform::WaveFormat &format) {
    if (state.id == 0 || !playableFormat(format))
        return nullptr;
    return SDL_NewAudioStream(format.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB,
                              static_cast<Uint8>(format.channels), static_cast<int>(format.rate),
                              AUDIO_F32SYS, static_cast<Uint8>(state.format.channels),
                              state.format.rate);
}

void noteAudioDeviceRemoved(const SDL_AudioDeviceEvent &event) {
    if (event.iscapture != 0 || event.which != state.id || state.lostReported)
        return;
    state.lostReported = true;
    std::fprintf(stderr, "Sound device lost, playing silently\n");
    finishWaveOutSilently();
}

bool outputLost() {
    return state.lostReported;
}

void closeOutputDevice() {
    if (state.id != 0 && !state.lostReported)
        SDL_CloseAudioDevice(state.id);
    state.id = 0;
}

bool playableFormat(const platform::WaveFormat &format) {
    return (format.bits == 8 || format.bits == 16) && format.channels >= 1 &&
           format.channels <= 8 && format.rate >= 1000 && format.rate <= 384000;
}

size_t wholeFrameSamples(size_t capacity) {
    const size_t channels = state.format.channels == 0 ? 1 : state.format.channels;
    return capacity - capacity % channels;
}

OutputInfo outputInfo() {
    return {static_cast<uint32_t>(state.format.rate), state.format.channels, state.format.frames};
}

} // namespace sdl_backend
