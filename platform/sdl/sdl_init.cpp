// SDL is started on the first call that needs it and shut down by
// exitProcess, after every file has let go of its SDL handles.
#include "platform/sdl/sdl_internal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sdl_backend {

namespace {

struct InitState {
    bool video = false;
    bool audioTried = false;
    bool audio = false;
};

InitState state;

void setHintsOnce() {
    // Ctrl+C and kill end the program as for any other program; the window's
    // close box arrives as its own event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The window is drawn from a software back buffer; a renderer-backed
    // window surface adds nothing but costs 50 to 70 ms at start on X11,
    // delaying the first message the player hears. An explicit setting wins.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
}

// Without a display SDL falls back to drivers that have no screen and no
// keyboard; the program cannot be played on those, so it takes one only
// when asked by name (SDL_VIDEODRIVER), as a test does.
bool unplayableVideoDriver() {
    const char *driver = SDL_GetCurrentVideoDriver();
    const bool withoutScreen = driver == nullptr || std::strcmp(driver, "offscreen") == 0 ||
                               std::strcmp(driver, "dummy") == 0;
    return withoutScreen && SDL_getenv("SDL_VIDEODRIVER") == nullptr;
}

} // namespace

void ensureVideo() {
    if (state.video)
        return;
    setHintsOnce();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "Cannot open a window on this display: %s\n", SDL_GetError());
        platform::exitProcess(1);
    }
    if (unplayableVideoDriver()) {
        std::fprintf(stderr, "Cannot open a window: no display found (DISPLAY or "
                             "WAYLAND_DISPLAY is not set).\n");
        platform::exitProcess(1);
    }
    state.video = true;
    enableWakeUps();
    // Started with the window so that the first sound does not wait for it.
    ensureAudio();
}

bool ensureAudio() {
    if (state.audioTried)
        return state.audio;
    state.audioTried = true;
    setHintsOnce();
    state.audio = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!state.audio) {
        std::fprintf(stderr, "No sound output, playing silently: %s\n", SDL_GetError());
        return false;
    }
    enableWakeUps(); // SDL starts its event queue with the audio
    // The one device, for the whole run; without it every sound is silence.
    openOutputDevice();
    return true;
}

} // namespace sdl_backend

namespace platform {

void exitProcess(int32_t code) {
    sdl_backend::closeOutputDevice();
    sdl_backend::shutdownLoopingSound();
    sdl_backend::shutdownWaveOut();
    sdl_backend::shutdownWindow();
    sdl_backend::shutdownFont();
    // After a lost device SDL's audio would wait for its thread, which may
    // wait for the dead server: only the video is shut down then.
    if (sdl_backend::outputLost())
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    else
        SDL_Quit();
    std::exit(code);
}

} // namespace platform
