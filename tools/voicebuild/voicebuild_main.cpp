// voicebuild: makes the native synthesizer's voice, the index and samples
// files of every unit its names can ask for.
//
//   voicebuild --espeak PROGRAM --voice VOICE --speed WPM --pitch P --jobs N
//              --cache DIR --out STEM [--phonemes FILE]... [--measure FILE]...
//              [--unit-cut SAMPLES] [--report FILE]
//
// The units are those of every syllable shape of the unit alphabet and of
// the phoneme strings in the --phonemes files (one per line, optionally
// "word<TAB>phonemes"), with every unit the synthesizer falls back to when
// one is missing. Each unit is spoken by espeak-ng at a flat pitch, trimmed
// to its audible part, levelled, faded at both ends and converted to
// 8-bit 11025 Hz. Where the synthesizer stops a unit short (a share of its
// length, after the --unit-cut shortening of unstressed units at the speed
// the game speaks at) the unit dips to silence, so the next unit joins
// without a click. The report says, for each --phonemes and --measure file
// (the latter only measured, not added to the voice), how many lookups the
// voice answers and why the others fall back.
#include "tools/loudness/leveller.h"
#include "tools/loudness/loudness.h"
#include "tools/voicebuild/espeak_runs.h"
#include "tools/voicebuild/inventory.h"
#include "tools/voicebuild/unit_names.h"
#include "tools/voicebuild/unit_sounds.h"
#include "tools/voicebuild/voice_files.h"
#include "tools/wavconv/wav_dsp.h"
#include "tools/wavconv/wav_io.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <numbers>
#include <set>
#include <span>
#include <sstream>
#include <string_view>
#include <thread>

namespace {

constexpr float kAudibleDb = -30.0f; // relative to a unit's peak
constexpr float kSilentUnitDb = -60.0f;
// Units with a vowel are brought to one loudness, a little above the
// recordings' as the consonants and gaps between them lower a word's;
// consonants alone keep a peak level well below the vowels', as a consonant
// sounds beside its vowel (a burst and a hiss of one loudness would not).
constexpr double kVowelLufs = loudness::kSpeechLufs + 0.6;
constexpr float kConsonantPeakDb = -10.0f;
constexpr uint32_t kMarginMs = 2;
constexpr uint32_t kFadeMs = 4;
// The synthesizer shortens unstressed units by cutting their end; a unit that
// dies away over its last milliseconds is cut where it is already quiet, so
// the cut does not click.
constexpr uint32_t kDecayMs = 60;
// Where the synthesizer stops a unit short (a diphthong's first part, the
// syllable before a plural s), the unit fades out over this much before the
// point and back in after it, so the next unit starts without a click.
constexpr uint32_t kShortPlayFadeMs = 3;

struct Options {
    voicebuild::EspeakSettings espeak;
    std::string cacheDir;
    std::string outStem;
    std::string reportPath;
    unsigned unitCut = 0; // CORTEFON of the speed the game speaks at
    std::vector<std::string> phonemeFiles;
    std::vector<std::string> measureFiles;
};

bool parseNumber(std::string_view text, unsigned &value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool parseOptions(int argc, char **argv, Options &options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view key = argv[i];
        const std::string value = argv[i + 1];
        bool ok = true;
        if (key == "--espeak") {
            options.espeak.program = value;
        } else if (key == "--voice") {
            options.espeak.voice = value;
        } else if (key == "--speed") {
            ok = parseNumber(value, options.espeak.speed);
        } else if (key == "--pitch") {
            ok = parseNumber(value, options.espeak.pitch);
        } else if (key == "--jobs") {
            ok = parseNumber(value, options.espeak.jobs);
        } else if (key == "--cache") {
            options.cacheDir = value;
        } else if (key == "--out") {
            options.outStem = value;
        } else if (key == "--unit-cut") {
            ok = parseNumber(value, options.unitCut);
        } else if (key == "--report") {
            options.reportPath = value;
        } else if (key == "--phonemes") {
            options.phonemeFiles.push_back(value);
        } else if (key == "--measure") {
            options.measureFiles.push_back(value);
        } else {
            ok = false;
        }
        if (!ok) {
            return false;
        }
    }
    return argc % 2 == 1 && !options.espeak.program.empty() && !options.espeak.voice.empty() &&
           options.espeak.speed >= 80 && options.espeak.speed <= 450 &&
           options.espeak.pitch <= 99 && options.espeak.jobs >= 1 && options.espeak.jobs <= 64 &&
           !options.cacheDir.empty() && !options.outStem.empty();
}

struct PhonemeLine {
    std::string word;
    std::string phonemes;
};

bool readPhonemeFile(const std::string &path, std::vector<PhonemeLine> &lines, std::string &error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        const auto tab = line.find('\t');
        if (tab == std::string::npos) {
            lines.push_back({"", line});
        } else {
            lines.push_back({line.substr(0, tab), line.substr(tab + 1)});
        }
    }
    return true;
}

uint32_t msToSamples(uint32_t ms, uint32_t rate) {
    return rate * ms / 1000;
}

bool hasVowel(const std::string &name) {
    return name.find_first_of("AEIOUWY") != std::string::npos && name != "$NN";
}

// Trims a unit to its audible part at the voice's rate; empty when silent.
std::vector<float> audiblePart(const wavkit::Sound &sound) {
    const float peak = wavkit::peakLevel(sound.samples);
    if (peak < wavkit::dbToLinear(kSilentUnitDb)) {
        return {};
    }
    const auto trimmed = wavkit::trimSilence(sound.samples, peak * wavkit::dbToLinear(kAudibleDb),
                                             msToSamples(kMarginMs, sound.rate));
    return wavkit::resample(trimmed, sound.rate, voicebuild::kVoiceRate);
}

// Quadratic decay over the last decaySamples (at most half the sound).
void dieAway(std::span<float> samples, size_t decaySamples) {
    const size_t length = std::min(decaySamples, samples.size() / 2);
    for (size_t i = 0; i < length; ++i) {
        const float remaining = static_cast<float>(i) / static_cast<float>(length);
        samples[samples.size() - 1 - i] *= remaining * remaining;
    }
}

// A raised-cosine dip to silence at `point`: down over `fade` samples
// before it, up again over `fade` after it.
void quietAt(std::span<float> samples, size_t point, size_t fade) {
    for (size_t i = 0; i < fade; ++i) {
        const double phase = (static_cast<double>(i) + 0.5) / static_cast<double>(fade);
        const auto gain = static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * phase));
        if (i < point && point - 1 - i < samples.size()) {
            samples[point - 1 - i] *= gain;
        }
        if (point + i < samples.size()) {
            samples[point + i] *= gain;
        }
    }
}

// One unit at the voice's rate, 8-bit, at its level (kVowelLufs,
// kConsonantPeakDb), quiet where the synthesizer plays it short (`plays`,
// an unstressed unit shortened by `unitCut`).
bool makeUnit(const std::string &name, const voicebuild::UnitSound &unitSound,
              const std::set<voicebuild::ShortPlay> &plays, size_t unitCut,
              const std::string &wavPath, std::vector<uint8_t> &unit, std::string &error) {
    std::vector<uint8_t> image;
    if (!wavkit::readFileBytes(wavPath, image, error)) {
        return false;
    }
    const auto sound = wavkit::decodeWav(image, error);
    if (!sound) {
        error = wavPath + ": " + error;
        return false;
    }
    auto samples = audiblePart(*sound);
    const size_t keep = msToSamples(unitSound.maxMs, voicebuild::kVoiceRate);
    if (keep != 0 && samples.size() > keep) {
        samples.resize(keep);
    }
    if (samples.empty()) {
        error = "espeak-ng gave silence for the unit " + name + " (" + wavPath + ")";
        return false;
    }
    dieAway(samples, msToSamples(kDecayMs, voicebuild::kVoiceRate));
    if (hasVowel(name)) {
        loudness::levelTo(samples, voicebuild::kVoiceRate, kVowelLufs, loudness::kTruePeakAimDb);
    } else {
        wavkit::normalisePeak(samples, wavkit::dbToLinear(kConsonantPeakDb));
    }
    wavkit::fadeEdges(samples, msToSamples(kFadeMs, voicebuild::kVoiceRate));
    for (const auto &play : plays) {
        if (const auto end = voicebuild::shortPlayEnd(samples.size(), play, unitCut)) {
            quietAt(samples, *end, msToSamples(kShortPlayFadeMs, voicebuild::kVoiceRate));
        }
    }
    const auto encoded = wavkit::encodeWav({voicebuild::kVoiceRate, samples}, 8);
    unit.assign(encoded.begin() + wav::HeaderSize, encoded.end());
    return true;
}

// Makes every unit, jobs at a time.
bool makeUnits(const std::vector<std::string> &names,
               const std::vector<voicebuild::UnitSound> &unitSounds,
               const std::map<std::string, std::set<voicebuild::ShortPlay>> &shortPlays,
               size_t unitCut, const std::vector<std::string> &wavPaths, unsigned jobs,
               voicebuild::UnitSamples &units, std::string &error) {
    const std::set<voicebuild::ShortPlay> none;
    std::vector<std::vector<uint8_t>> made(names.size());
    std::vector<std::string> errors(names.size());
    std::atomic<size_t> next = 0;
    const auto worker = [&] {
        for (size_t i = next++; i < names.size(); i = next++) {
            const auto plays = shortPlays.find(names[i]);
            makeUnit(names[i], unitSounds[i], plays == shortPlays.end() ? none : plays->second,
                     unitCut, wavPaths[i], made[i], errors[i]);
        }
    };
    {
        std::vector<std::jthread> workers;
        for (unsigned i = 0; i < jobs; ++i) {
            workers.emplace_back(worker);
        }
    }
    for (size_t i = 0; i < names.size(); ++i) {
        if (made[i].empty()) {
            error = errors[i];
            return false;
        }
        units[names[i]] = std::move(made[i]);
    }
    return true;
}

std::string whyMissing(const std::string &name) {
    if (name.size() > voicebuild::kMaxIndexName) {
        return "longer than 8 characters";
    }
    if (!voicebuild::unitSound(name)) {
        return "holds a letter with no sound";
    }
    return "not in the voice";
}

// How the voice answers the lookups of one file's phoneme strings.
void reportFile(const std::string &path, const std::vector<PhonemeLine> &lines,
                const std::set<std::string> &voice, std::ostream &out) {
    size_t lookups = 0;
    size_t found = 0;
    size_t noise = 0;
    size_t silent = 0;
    std::map<std::string, size_t> missing;      // by upper-case name
    std::map<std::string, std::string> asBuilt; // the name as first built
    std::map<std::string, std::string> example; // a word that asks for it
    for (const auto &line : lines) {
        for (const auto &name : voicebuild::lookupNames(line.phonemes)) {
            ++lookups;
            const std::string upper = voicebuild::upperAscii(name);
            if (voice.contains(upper)) {
                ++found;
                continue;
            }
            const auto resolution = voicebuild::resolve(name, voice);
            noise += resolution.noise ? 1 : 0;
            silent += resolution.silent ? 1 : 0;
            ++missing[upper];
            asBuilt.emplace(upper, name);
            example.emplace(upper, line.word.empty() ? line.phonemes : line.word);
        }
    }
    out << path << ": " << lines.size() << " strings, " << lookups << " lookups, " << found
        << " found, " << (lookups - found) << " fall back (" << noise << " end in noise, " << silent
        << " lose a piece)\n";
    std::vector<std::pair<size_t, std::string>> byCount;
    for (const auto &[name, count] : missing) {
        byCount.emplace_back(count, name);
    }
    std::sort(byCount.rbegin(), byCount.rend());
    for (const auto &[count, name] : byCount) {
        const auto resolution = voicebuild::resolve(asBuilt[name], voice);
        std::string played;
        for (const auto &piece : resolution.played) {
            played += " " + piece;
        }
        out << "  " << name << " x" << count << " (" << whyMissing(name) << "; e.g. "
            << example[name] << "): plays" << (played.empty() ? " nothing" : played)
            << (resolution.noise ? " + noise" : "") << "\n";
    }
}

int fail(const std::string &message) {
    std::fprintf(stderr, "voicebuild: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: voicebuild --espeak PROGRAM --voice VOICE --speed WPM --pitch P "
                     "--jobs N --cache DIR --out STEM [--phonemes FILE]... [--measure FILE]... "
                     "[--unit-cut SAMPLES] [--report FILE]\n");
        return 2;
    }
    std::string error;
    std::vector<std::string> phonemeStrings = voicebuild::syllablePhonemes();
    std::vector<std::vector<PhonemeLine>> files;
    for (const auto &path : options.phonemeFiles) {
        files.emplace_back();
        if (!readPhonemeFile(path, files.back(), error)) {
            return fail(error);
        }
        for (const auto &line : files.back()) {
            phonemeStrings.push_back(line.phonemes);
        }
    }
    const auto inventory = voicebuild::collectInventory(phonemeStrings);
    std::vector<std::string> reported = options.phonemeFiles;
    for (const auto &path : options.measureFiles) {
        files.emplace_back();
        reported.push_back(path);
        if (!readPhonemeFile(path, files.back(), error)) {
            return fail(error);
        }
    }
    const std::vector<std::string> names(inventory.units.begin(), inventory.units.end());
    std::vector<voicebuild::UnitSound> sounds;
    std::vector<std::string> inputs;
    for (const auto &name : names) {
        sounds.push_back(*voicebuild::unitSound(name));
        inputs.push_back(sounds.back().phonemes);
    }
    std::vector<std::string> wavPaths;
    if (!voicebuild::speakAll(options.espeak, inputs, options.cacheDir, wavPaths, error)) {
        return fail(error);
    }
    voicebuild::UnitSamples units;
    const auto shortPlays = voicebuild::shortPlays(phonemeStrings);
    if (!makeUnits(names, sounds, shortPlays, options.unitCut, wavPaths, options.espeak.jobs, units,
                   error) ||
        !voicebuild::writeVoice(options.outStem, units, error)) {
        return fail(error);
    }
    std::ostringstream report;
    size_t quietPoints = 0;
    for (const auto &[name, plays] : shortPlays) {
        quietPoints += plays.size();
    }
    report << "voice " << options.outStem << ": " << units.size() << " units, " << quietPoints
           << " points where a unit played short meets the next made quiet\n";
    for (size_t i = 0; i < files.size(); ++i) {
        reportFile(reported[i], files[i], inventory.units, report);
    }
    if (!options.reportPath.empty()) {
        std::ofstream out(options.reportPath, std::ios::binary | std::ios::trunc);
        out << report.str();
        if (!out) {
            return fail("cannot write " + options.reportPath);
        }
    }
    // The build log gets the summary lines; the report file has every name.
    std::istringstream lines(report.str());
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("  ") || options.reportPath.empty()) {
            std::printf("%s\n", line.c_str());
        }
    }
    return 0;
}
