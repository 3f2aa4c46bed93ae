// Cuts for a listener at the sound server: plays, through the SDL backend,
// a looping tone (as the tone generator does) and a long wave-out block (as
// a message), and cuts each after a moment the way a key does (the tone
// with stopLoopingSound, the block with waveReset), printing the wall-clock
// time of every cut:
//
//   tone-cut T
//   wave-cut T
//
// (and warm-up-cut T for the one tone played first, not to be timed)
//
// scripts/sound-latency-bench.sh matches these with the silence recorded at
// the sink's monitor. Usage: sdl-cut-bench [TRIALS]
#include "platform/platform.h"
#include "platform/wav_format.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

long long wallNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A square wave of `hz` in unsigned 8-bit samples: low 96, high 160, as the
// tone generator makes it.
std::vector<uint8_t> squareWave(uint32_t rate, uint32_t hz, uint32_t samples) {
    std::vector<uint8_t> wave(samples);
    for (uint32_t i = 0; i < samples; ++i)
        wave[i] = (i * hz * 2 / rate) % 2 == 0 ? 96 : 160;
    return wave;
}

// Waits a moment at a different point of the device's cycle each trial.
void wait(int trial) {
    sleepMs(300 + (trial * 7) % 11);
}

void cutTones(int trials, const char *label = "tone-cut") {
    const std::vector<uint8_t> samples = squareWave(11025, 800, 11025);
    std::vector<uint8_t> image(wav::HeaderSize + samples.size());
    wav::writeHeader(image.data(), static_cast<uint32_t>(samples.size()), 11025, 1, 8);
    std::copy(samples.begin(), samples.end(), image.begin() + wav::HeaderSize);
    for (int trial = 0; trial < trials; ++trial) {
        platform::playLoopingSound(image.data(), image.size());
        wait(trial);
        std::printf("%s %lld\n", label, wallNowNs());
        platform::stopLoopingSound();
        wait(trial);
    }
}

void cutBlocks(int trials) {
    // Two seconds of a message's format: 22050 Hz, 16-bit (a square wave of
    // a quarter of full scale).
    const uint32_t frames = 2 * 22050;
    std::vector<uint8_t> block(frames * 2);
    const std::vector<uint8_t> square = squareWave(22050, 440, frames);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto value = static_cast<int16_t>((square[i] - 128) * 256);
        block[2 * i] = static_cast<uint8_t>(value & 0xFF);
        block[2 * i + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    }
    platform::Message msg;
    for (int trial = 0; trial < trials; ++trial) {
        platform::waveOpen({22050, 16, 1});
        platform::waveWrite(1, block.data(), static_cast<uint32_t>(block.size()));
        wait(trial);
        std::printf("wave-cut %lld\n", wallNowNs());
        platform::waveReset();
        platform::waveClose();
        while (platform::peekMessage(msg)) {
        }
        wait(trial);
    }
}

} // namespace

int main(int argc, char **argv) {
    const int trials = argc > 1 ? std::atoi(argv[1]) : 10;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (platform::waveOpen({22050, 16, 1}) != platform::WaveOk) {
        std::fprintf(stderr, "no sound device\n");
        platform::exitProcess(1);
    }
    platform::waveClose();
    // The first sound of a fresh stream waits for the server to take it up
    // (up to the sink's period, 2 s on an idle null sink): a start-up cost,
    // not a cut's, so one tone is played before the trials and not timed.
    cutTones(1, "warm-up-cut");
    sleepMs(1000);
    cutTones(trials);
    cutBlocks(trials);
    platform::exitProcess(0);
}
