// mbrvoice: builds the built-in engine's diphone voice. Every ordered pair
// of the phoneme set is spoken by espeak-ng inside a nonsense word at a flat
// pitch, cut at the middles of its two phonemes, given pitch marks, evened
// out in loudness (the vowels heard equally loud), brought to the level of
// the recordings, and written as one voice database beside the list of its
// diphones (Windows-1252 text, CR LF).
//
//   mbrvoice --out FILE --list FILE [--voice pt-br] [--speed WPM] [--pitch 0..99]
#include "mbrsynth/voice_db.h"
#include "tools/loudness/loudness.h"
#include "tools/mbrvoice/espeak_speaker.h"
#include "tools/mbrvoice/level_match.h"
#include "tools/mbrvoice/logatomes.h"
#include "tools/mbrvoice/phone_set.h"
#include "tools/mbrvoice/syllable_levels.h"
#include "tools/mbrvoice/unit_cutter.h"
#include "tools/mbrvoice/voice_assembly.h"
#include "tools/wavconv/wav_io.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>

namespace {

using namespace mbrvoice;

constexpr uint32_t kRate = 16000;
constexpr size_t kPauseSamples = kRate * 60 / 1000; // the pause-to-pause unit
constexpr size_t kFadeSamples = kRate * 15 / 1000;
// Headroom for grains that overlap when the pitch rises: no unit's sample
// passes this. The few louder peaks of the vowels are lowered by a slow
// limiter, which also brings loud and soft words closer together.
constexpr float kPeak = 0.45f;
// The engine's words come out a little quieter than the units they are
// made of (their pauses, closures and unstressed vowels weigh in), so the
// units sit that much above the level of the recordings.
constexpr double kUnitsLufs = loudness::kSpeechLufs + 0.5;

struct Options {
    std::string voice = "pt-br";
    int speed = 150;
    int pitch = 75;
    std::string out;
    std::string list;
};

bool parseOptions(int argc, char **argv, Options &options) {
    std::map<std::string, std::string> values;
    for (int i = 1; i + 1 < argc; i += 2) {
        values[argv[i]] = argv[i + 1];
    }
    if (argc % 2 == 0 || !values.count("--out") || !values.count("--list")) {
        return false;
    }
    options.out = values["--out"];
    options.list = values["--list"];
    options.voice = values.count("--voice") ? values["--voice"] : options.voice;
    try {
        options.speed = values.count("--speed") ? std::stoi(values["--speed"]) : options.speed;
        options.pitch = values.count("--pitch") ? std::stoi(values["--pitch"]) : options.pitch;
    } catch (const std::exception &) {
        return false;
    }
    return values.size() <= 5;
}

// Speaks and cuts one pair, trying the other frames when espeak-ng's events
// do not show the logatome's phonemes.
std::optional<Unit> speakPair(EspeakSpeaker &speaker, const Phone &first, const Phone &second,
                              const CutSettings &cut, std::string &problem) {
    if (first.kind == PhoneClass::Silence && second.kind == PhoneClass::Silence) {
        return silentUnit(kPauseSamples, cut.fallbackPeriod);
    }
    for (int variant = 0; variant < kLogatomeVariants; ++variant) {
        const Logatome logatome = logatomeFor(first, second, variant);
        if (auto unit = cutUnit(speaker.speak(logatome.text), logatome, cut, problem)) {
            return unit;
        }
    }
    return std::nullopt;
}

// Every ordered pair. A pair espeak-ng does not say (a syllable-final "l"
// before a consonant or a pause, which it merges into the vowel) is made
// from the first phoneme's unit with the vowel "a" and the second's unit
// after a pause. False when some pair has neither.
bool buildAll(EspeakSpeaker &speaker, const CutSettings &cut, std::vector<PairUnit> &units,
              size_t &derived) {
    const auto &phones = phoneSet();
    const size_t count = phones.size();
    const size_t vowel = 1; // "a"
    std::vector<std::optional<Unit>> grid(count * count);
    std::vector<std::string> problems(count * count);
    for (size_t p = 0; p < count * count; ++p) {
        grid[p] = speakPair(speaker, phones[p / count], phones[p % count], cut, problems[p]);
    }
    derived = 0;
    for (size_t p = 0; p < count * count; ++p) {
        const size_t first = p / count, second = p % count;
        if (!grid[p] && second == 0 && grid[first * count + vowel]) {
            grid[p] = fadeIntoPause(*grid[first * count + vowel], kFadeSamples, kPauseSamples / 2);
            ++derived;
        } else if (!grid[p] && first == 0 && grid[vowel * count + second]) {
            grid[p] =
                fadeOutOfPause(*grid[vowel * count + second], kFadeSamples, kPauseSamples / 2);
            ++derived;
        } else if (!grid[p] && grid[first * count + vowel] && grid[second]) {
            grid[p] = joinHalves(*grid[first * count + vowel], *grid[second], kFadeSamples);
            ++derived;
        }
        if (!grid[p]) {
            std::fprintf(stderr, "mbrvoice: cannot cut %s-%s from %s\n", phones[first].name.c_str(),
                         phones[second].name.c_str(), problems[p].c_str());
            return false;
        }
    }
    for (size_t p = 0; p < count * count; ++p) {
        units.push_back({p / count, p % count, std::move(*grid[p])});
    }
    return true;
}

std::string diphoneList(const std::vector<PairUnit> &units) {
    std::string text;
    for (const PairUnit &u : units) {
        text += phoneSet()[u.first].name + " " + phoneSet()[u.second].name + "\r\n";
    }
    return text;
}

bool writeText(const std::string &path, const std::string &text, std::string &error) {
    const std::vector<uint8_t> bytes(text.begin(), text.end());
    return wavkit::writeFileAtomically(path, bytes, error);
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: mbrvoice --out FILE --list FILE [--voice NAME] "
                             "[--speed WPM] [--pitch 0..99]\n");
        return 2;
    }
    const auto started = std::chrono::steady_clock::now();
    EspeakSpeaker speaker;
    std::string error;
    if (!speaker.start(options.voice, options.speed, options.pitch, error)) {
        std::fprintf(stderr, "mbrvoice: %s\n", error.c_str());
        return 1;
    }
    const wavkit::Resampler resampler(static_cast<uint32_t>(speaker.sampleRate()), kRate);
    const CutSettings cut{static_cast<uint32_t>(speaker.sampleRate()), kRate, kRate / 110,
                          &resampler};
    std::vector<PairUnit> units;
    size_t derived = 0;
    if (!buildAll(speaker, cut, units, derived)) {
        return 1;
    }
    std::vector<bool> vowels;
    for (const auto &phone : phoneSet()) {
        vowels.push_back(phone.kind == PhoneClass::Vowel);
    }
    matchLevels(units, vowels, kRate);
    const SyllableSpread spread = evenSyllables(units, kRate);
    levelUnits(units, kRate, kUnitsLufs, kPeak);
    const std::string info = "zbr1: Brazilian Portuguese diphones cut from logatomes spoken by "
                             "espeak-ng " +
                             speaker.version() + " (" + options.voice + ")";
    const auto voice = assembleVoice(units, kRate, info);
    if (!wavkit::writeFileAtomically(options.out, mbrsynth::encodeVoice(voice), error) ||
        !writeText(options.list, diphoneList(units), error)) {
        std::fprintf(stderr, "mbrvoice: %s\n", error.c_str());
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("mbrvoice: %zu diphones (%zu made from other units), %.1f s of sound at "
                "%.1f LUFS, pitch %u Hz, syllables within %.1f LU (%.1f before), built in %.1f s\n",
                voice.diphones.size(), derived, static_cast<double>(voice.samples.size()) / kRate,
                unitsLoudness(units, kRate), voice.defaultPitch, spread.after, spread.before,
                seconds);
    return 0;
}
