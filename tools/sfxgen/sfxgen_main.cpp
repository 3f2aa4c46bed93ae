// sfxgen: writes one of the game's sound effects.
//
//   sfxgen plim|tchen|requiem OUTPUT.wav
//
// The effect is brought to its loudness a little below the spoken
// recordings' (under the same true-peak ceiling) and written as 16-bit mono
// 22050 Hz PCM.
#include "tools/loudness/leveller.h"
#include "tools/loudness/loudness.h"
#include "tools/sfxgen/sfx_synth.h"
#include "tools/wavconv/wav_io.h"

#include <cstdio>
#include <string>

namespace {

constexpr uint32_t kRate = 22050;
constexpr uint16_t kBits = 16;

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sfxgen plim|tchen|requiem OUTPUT.wav\n");
        return 2;
    }
    wavkit::Sound sound;
    sound.rate = kRate;
    sound.samples = sfx::makeEffect(argv[1], kRate);
    if (sound.samples.empty()) {
        std::fprintf(stderr, "sfxgen: unknown effect '%s'\n", argv[1]);
        return 2;
    }
    if (!loudness::levelTo(sound.samples, kRate, loudness::kEffectLufs, loudness::kTruePeakAimDb)
             .ok) {
        std::fprintf(stderr, "sfxgen: the effect '%s' came out silent\n", argv[1]);
        return 1;
    }
    std::string error;
    if (!wavkit::writeFileAtomically(argv[2], wavkit::encodeWav(sound, kBits), error)) {
        std::fprintf(stderr, "sfxgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
