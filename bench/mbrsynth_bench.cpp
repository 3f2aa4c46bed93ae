// Speed and accuracy of the built-in engine's diphone synthesizer: a long
// phoneme list fed line by line as the engine feeds it, on the shipped voice
// (real-time factor, peak memory, time to open the voice); how closely the
// output follows asked pitches on that voice; and the join figure on the
// tests' synthetic voice.
//   mbrsynth-bench [VOICE]   (default: the voice in the build tree)
#include "bench/bench_support.h"
#include "mbrsynth/synthesizer.h"
#include "tests/mbrsynth_fixture.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr size_t kPhones = 8000;

// Pseudo-random but repeatable phoneme lines: a pause now and then, vowels
// and consonants in turn, durations of 40..160 ms and one pitch point each.
std::vector<std::string> longList(const mbrsynth::VoiceData &voice) {
    std::vector<std::string> vowels, consonants;
    for (const auto &name : voice.phonemes) {
        (std::string("aeiou@").find(name[0]) != std::string::npos ? vowels : consonants)
            .push_back(name);
    }
    std::vector<std::string> lines;
    uint32_t seed = 7;
    const auto next = [&seed](uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    for (size_t i = 0; i < kPhones; ++i) {
        const auto &pool = i % 2 ? vowels : consonants;
        const std::string name = i % 40 == 0 ? "_" : pool[next(static_cast<uint32_t>(pool.size()))];
        lines.push_back(name + " " + std::to_string(40 + next(120)) + " 50 " +
                        std::to_string(90 + next(70)));
    }
    return lines;
}

size_t speakLines(mbrsynth::Synthesizer &synth, const std::vector<std::string> &lines) {
    std::vector<int16_t> buffer(16000);
    size_t total = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        synth.write(lines[i] + "\r\n");
        if (i + 1 == lines.size()) {
            synth.flush();
        }
        for (size_t got = synth.read(buffer); got > 0; got = synth.read(buffer)) {
            total += got;
        }
    }
    return total;
}

double worstPitchError(mbrsynth::Synthesizer &synth) {
    double worst = 0;
    for (const char *vowel : {"a", "e", "i", "o", "u"}) {
        for (const double hz : {80.0, 100.0, 120.0, 150.0, 200.0}) {
            const std::string f = std::to_string(hz);
            const auto samples = mbrsynth_fixture::speak(
                synth, std::string("_ 50\n") + vowel + " 400 0 " + f + " 100 " + f + "\n_ 50\n");
            const double measured = mbrsynth_fixture::measureF0(samples, 150 * 16, 350 * 16);
            worst = std::max(worst, std::abs(measured - hz) / hz);
        }
    }
    return worst;
}

// Largest sample-to-sample jump near the joins over the largest inside the
// units, on the synthetic voice at three pitches.
double joinRatio() {
    const auto data = mbrsynth_fixture::makeVoice();
    int unitJump = 0;
    for (size_t n = 1; n < data.samples.size(); ++n) {
        unitJump = std::max(unitJump, std::abs(data.samples[n] - data.samples[n - 1]));
    }
    int joinJump = 0;
    for (const char *pitch : {"100", "70", "180"}) {
        mbrsynth::Synthesizer synth{mbrsynth::Voice(data)};
        std::string lines;
        for (const char *name : {"a", "i", "u", "a", "u", "i", "a"}) {
            lines += std::string(name) + " 200 50 " + pitch + "\n";
        }
        const auto samples = mbrsynth_fixture::speak(synth, lines);
        for (size_t phone = 0; phone < 7; ++phone) {
            const size_t join = (200 * phone + 100) * 16;
            joinJump =
                std::max(joinJump, mbrsynth_fixture::largestJump(samples, join - 400, join + 400));
        }
    }
    return static_cast<double>(joinJump) / unitJump;
}

} // namespace

int main(int argc, char **argv) {
    const std::string path = argc > 1 ? argv[1] : ZEB_BENCH_VOICE;
    const auto openStart = std::chrono::steady_clock::now();
    std::string error;
    auto voice = mbrsynth::Voice::open(path, error);
    if (!voice) {
        std::fprintf(stderr, "mbrsynth-bench: %s\n", error.c_str());
        return 1;
    }
    const double openMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - openStart)
            .count();
    mbrsynth::Synthesizer synth(std::move(*voice));
    synth.setNoError(true);
    const auto lines = longList(synth.voice().data());

    const double cpuStart = bench::cpuSeconds();
    const size_t samples = speakLines(synth, lines);
    const double cpu = bench::cpuSeconds() - cpuStart;
    const double audio = static_cast<double>(samples) / synth.outputRate();

    std::printf("opening the voice: %.1f ms\n", openMs);
    std::printf("synthesis: %zu phonemes, %.1f s of speech in %.3f s CPU: real-time factor %.4f "
                "(%.0fx faster than real time)\n",
                lines.size(), audio, cpu, cpu / audio, audio / cpu);
    std::printf("peak resident memory: %ld KiB\n", bench::peakResidentKiB());
    std::printf("pitch: worst error over 5 vowels x 5 pitches (80..200 Hz): %.2f %%\n",
                100.0 * worstPitchError(synth));
    std::printf("joins (synthetic voice): largest jump at a join / largest inside the units: "
                "%.2f\n",
                joinRatio());
    return 0;
}
