// wavconv: turns a synthesizer's raw WAV output into one of the game's
// recordings.
//
//   wavconv --rate RATE --bits 8|16 INPUT.wav OUTPUT.wav
//
// The sound is trimmed to its audible part (plus a short quiet margin),
// converted to RATE, faded at the edges, brought to the speech loudness every
// recording shares (under the true-peak ceiling) so that all sound equally
// loud, and written as mono PCM with a canonical 44-byte header. A missing, damaged or silent input
// is an error: the build must stop rather than ship a mute recording.
#include "tools/loudness/leveller.h"
#include "tools/loudness/loudness.h"
#include "tools/wavconv/wav_dsp.h"
#include "tools/wavconv/wav_io.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr float kAudibleDb = -40.0f;     // below this, relative to the peak, is silence
constexpr float kSilentInputDb = -50.0f; // an input whose peak is lower holds no speech
constexpr uint32_t kMarginMs = 20;       // quiet margin kept before and after the sound
constexpr uint32_t kFadeMs = 4;

struct Options {
    uint32_t rate = 0;
    uint16_t bits = 0;
    std::string input;
    std::string output;
};

bool parseNumber(std::string_view text, uint32_t &value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool parseOptions(int argc, char **argv, Options &options) {
    uint32_t bits = 0;
    int position = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--rate" && i + 1 < argc) {
            if (!parseNumber(argv[++i], options.rate)) {
                return false;
            }
        } else if (argument == "--bits" && i + 1 < argc) {
            if (!parseNumber(argv[++i], bits)) {
                return false;
            }
        } else if (position == 0) {
            options.input = argument;
            ++position;
        } else if (position == 1) {
            options.output = argument;
            ++position;
        } else {
            return false;
        }
    }
    options.bits = static_cast<uint16_t>(bits);
    return position == 2 && options.rate >= 4000 && options.rate <= 192000 &&
           (bits == 8 || bits == 16);
}

uint32_t msToSamples(uint32_t ms, uint32_t rate) {
    return rate * ms / 1000;
}

int fail(const std::string &message) {
    std::fprintf(stderr, "wavconv: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: wavconv --rate RATE --bits 8|16 INPUT.wav OUTPUT.wav\n");
        return 2;
    }
    std::vector<uint8_t> image;
    std::string error;
    if (!wavkit::readFileBytes(options.input, image, error)) {
        return fail(error);
    }
    auto sound = wavkit::decodeWav(image, error);
    if (!sound) {
        return fail(options.input + ": " + error);
    }
    const float inputPeak = wavkit::peakLevel(sound->samples);
    if (inputPeak < wavkit::dbToLinear(kSilentInputDb)) {
        return fail(options.input + ": the recording is silent (did the synthesizer fail?)");
    }
    wavkit::Sound result;
    result.rate = options.rate;
    const auto trimmed =
        wavkit::trimSilence(sound->samples, inputPeak * wavkit::dbToLinear(kAudibleDb),
                            msToSamples(kMarginMs, sound->rate));
    result.samples = wavkit::resample(trimmed, sound->rate, options.rate);
    wavkit::fadeEdges(result.samples, msToSamples(kFadeMs, options.rate));
    if (!loudness::levelTo(result.samples, options.rate, loudness::kSpeechLufs,
                           loudness::kTruePeakAimDb)
             .ok) {
        return fail(options.input + ": no loudness to measure after conversion");
    }
    if (!wavkit::writeFileAtomically(options.output, wavkit::encodeWav(result, options.bits),
                                     error)) {
        return fail(error);
    }
    return 0;
}
