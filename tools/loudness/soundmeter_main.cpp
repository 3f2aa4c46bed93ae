// soundmeter: measures WAV files the way the data tools level them.
//
//   soundmeter FILE.wav...
//   soundmeter --targets
//
// One tab-separated line per file: the path, the loudness in LUFS ("-" for
// silence), the true peak in dBTP, the sample peak in dBFS, the silence before
// and after the sounding part in ms, the length in ms and the number of
// clipped samples. A file that cannot be read is reported on stderr and makes
// the exit status 1; the other files are still measured. --targets prints
// the levels the recordings are made to, as shell assignments, so that the
// checks read them from the one place that sets them.
#include "platform/wav_format.h"
#include "tools/loudness/loudness.h"
#include "tools/wavconv/wav_io.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

double ms(size_t samples, uint32_t rate) {
    return 1000.0 * static_cast<double>(samples) / rate;
}

bool measure(const char *path) {
    std::vector<uint8_t> image;
    std::string error;
    if (!wavkit::readFileBytes(path, image, error)) {
        std::fprintf(stderr, "soundmeter: %s\n", error.c_str());
        return false;
    }
    const auto sound = wavkit::decodeWav(image, error);
    const auto layout = wav::parseImage(image, wav::Chunks::Padded);
    if (!sound || !layout) {
        std::fprintf(stderr, "soundmeter: %s: %s\n", path, error.c_str());
        return false;
    }
    const auto &samples = sound->samples;
    const auto part = loudness::soundingPart(samples);
    const auto lufs = loudness::loudnessOf(samples, sound->rate);
    float peak = 0.0f;
    for (float sample : samples) {
        peak = std::max(peak, std::abs(sample));
    }
    const std::string level = lufs ? std::to_string(*lufs) : "-";
    std::printf("%s\t%s\t%.2f\t%.2f\t%.1f\t%.1f\t%.1f\t%zu\n", path, level.c_str(),
                loudness::truePeakDb(samples, sound->rate), loudness::sampleToDb(peak),
                ms(part.begin, sound->rate), ms(samples.size() - part.end, sound->rate),
                ms(samples.size(), sound->rate),
                loudness::clippedSamples(samples, layout->format.bits));
    return true;
}

void printTargets() {
    std::printf("speech_lufs=%.1f\neffect_low_lufs=%.1f\neffect_high_lufs=%.1f\n"
                "true_peak_ceiling_db=%.1f\n",
                loudness::kSpeechLufs, loudness::kEffectBandLow, loudness::kEffectBandHigh,
                loudness::kTruePeakCeilingDb);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: soundmeter FILE.wav... | soundmeter --targets\n");
        return 2;
    }
    if (std::string_view(argv[1]) == "--targets") {
        printTargets();
        return 0;
    }
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        ok = measure(argv[i]) && ok;
    }
    return ok ? 0 : 1;
}
