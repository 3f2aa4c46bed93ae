// Time from the start of the program to the first sample of the start-up
// message reaching the audio device, on the SDL backend: the modules start,
// the window is created and the game's first steps run as the game runs
// them, then the wave-out callbacks tell when sound first left the player.
// Run under a display (Xvfb) with SDL_AUDIODRIVER=dummy or a real device.
#include "app/module_start.h"
#include "console/console.h"
#include "game/messages.h"
#include "platform/sdl/sdl_probe.h"
#include "tradutor/speech/speech.h"

#include <chrono>
#include <cstdio>
#include <vector>

namespace {

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

int main() {
    const int64_t start = nowNs();
    app::startModules();
    const std::string soundDir = "c:\\talvek\\som\\quibo2\\";
    speech::initSpeech(3, soundDir);
    console::clearScreen();
    const int64_t windowReady = nowNs();
    console::setTitle("Galdrino");
    game::sayMessage("GDINIC");
    const int64_t messageDone = nowNs();

    std::vector<sdl_backend::WaveCallbackRecord> history(512);
    history.resize(sdl_backend::waveCallbackHistory(history.data(), history.size()));
    int64_t firstSound = 0;
    for (const auto &record : history)
        if (record.soundBytes > 0) {
            firstSound = record.steadyNs;
            break;
        }
    std::printf("window created and shown:     %7.1f ms after start\n",
                static_cast<double>(windowReady - start) / 1e6);
    if (firstSound == 0) {
        std::printf("no sound reached the device (is the data tree built?)\n");
        return 1;
    }
    std::printf("first sample of GDINIC:       %7.1f ms after start\n",
                static_cast<double>(firstSound - start) / 1e6);
    std::printf("GDINIC finished:              %7.1f ms after start\n",
                static_cast<double>(messageDone - start) / 1e6);
    std::printf("callback period:              %7.1f ms\n",
                sdl_backend::outputInfo().rate == 0
                    ? 0.0
                    : sdl_backend::outputInfo().frames * 1000.0 / sdl_backend::outputInfo().rate);
    console::doneConsole();
}
