// Seeds for the fuzz corpus made from the generated data tree, too large to
// commit as they are: a few units of the native voice (index and samples),
// a voice database cut down to four phonemes, and the phoneme lines the
// built-in engine writes for its test utterances.
//   fuzz-seeds OUT_DIR      (the data tree: $ZEB_FUZZ_DATA or the build's own)
#include "mbrsynth/voice_db.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/quelo_data.h"
#include "tradutor/quelo/engine.h"

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr size_t IndexRecord = 15;
constexpr size_t UnitsKept = 14;
constexpr uint32_t SamplesPerUnit = 800;

uint32_t littleEndian(const std::string &bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = count; i-- > 0;)
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

void putLittleEndian(std::string &out, size_t at, uint32_t value, size_t count) {
    for (size_t i = 0; i < count; ++i)
        out[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

// Every n-th unit of the index, in its order, each cut to SamplesPerUnit
// samples that are packed into a new sample file.
std::string nativeVoiceSeed() {
    const std::string index = fuzz_support::readDataFile("talvek/som/difones/ZEBVOZ.IND");
    const std::string samples = fuzz_support::readDataFile("talvek/som/difones/ZEBVOZ.DIF");
    const size_t records = index.size() / IndexRecord;
    const size_t step = std::max<size_t>(1, records / UnitsKept);
    std::string newIndex, newSamples;
    for (size_t r = 0; r < records; r += step) {
        std::string record = index.substr(r * IndexRecord, IndexRecord);
        const uint32_t length = std::min(littleEndian(record, 9, 2), SamplesPerUnit);
        const uint32_t offset = littleEndian(record, 11, 4);
        putLittleEndian(record, 9, length, 2);
        putLittleEndian(record, 11, static_cast<uint32_t>(newSamples.size()), 4);
        newSamples += samples.substr(std::min<size_t>(offset, samples.size()), length);
        newIndex += record;
    }
    return fuzz_support::joinTwoFiles(newIndex, newSamples);
}

// The phonemes "_", "a", "s" and "k" (those the voice has) with the diphones
// between them, their pitch marks and samples.
std::string voiceDatabaseSeed() {
    const std::string image = fuzz_support::readDataFile("talvek/quelotts/zbr1");
    std::string error;
    const auto voice = mbrsynth::decodeVoice(
        std::span(reinterpret_cast<const uint8_t *>(image.data()), image.size()), error);
    if (!voice) {
        std::fprintf(stderr, "fuzz-seeds: zbr1: %s\n", error.c_str());
        std::exit(1);
    }
    const std::set<std::string> wanted = {"_", "a", "s", "k"};
    mbrsynth::VoiceData small;
    small.sampleRate = voice->sampleRate;
    small.defaultPitch = voice->defaultPitch;
    std::map<uint16_t, uint16_t> renumbered;
    for (size_t i = 0; i < voice->phonemes.size(); ++i) {
        if (wanted.count(voice->phonemes[i])) {
            renumbered[static_cast<uint16_t>(i)] = static_cast<uint16_t>(small.phonemes.size());
            small.phonemes.push_back(voice->phonemes[i]);
        }
    }
    for (const mbrsynth::Diphone &d : voice->diphones) {
        if (!renumbered.count(d.first) || !renumbered.count(d.second))
            continue;
        mbrsynth::Diphone kept = d;
        kept.first = renumbered[d.first];
        kept.second = renumbered[d.second];
        kept.sampleStart = static_cast<uint32_t>(small.samples.size());
        kept.markStart = static_cast<uint32_t>(small.marks.size());
        small.samples.insert(small.samples.end(), voice->samples.begin() + d.sampleStart,
                             voice->samples.begin() + d.sampleStart + d.sampleCount);
        small.marks.insert(small.marks.end(), voice->marks.begin() + d.markStart,
                           voice->marks.begin() + d.markStart + d.markCount);
        small.diphones.push_back(kept);
    }
    small.info = "zbr1, four phonemes";
    const auto bytes = mbrsynth::encodeVoice(small);
    return std::string(bytes.begin(), bytes.end());
}

// Output rate 16000 Hz, full volume, pieces of 256 bytes, then the lines.
std::vector<std::string> phonemeLineSeeds() {
    quelo_data::loadShipped();
    std::vector<std::string> seeds;
    for (const char *text : quelo_data::Texts) {
        std::string seed = {60, 64, static_cast<char>(255)};
        for (const std::string &line : quelo::queloPipeline(text, quelo::Stage::Lines))
            seed += line + "\n";
        seeds.push_back(seed);
    }
    return seeds;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-seeds OUT_DIR\n");
        return 2;
    }
    const std::string out = argv[1];
    fuzz_support::writeFile(out + "/native_voice/zebvoz-part", nativeVoiceSeed());
    fuzz_support::writeFile(out + "/mbrvoice/zbr1-part", voiceDatabaseSeed());
    const auto lines = phonemeLineSeeds();
    for (size_t i = 0; i < lines.size(); ++i)
        fuzz_support::writeFile(out + "/pho_lines/utterance-" + std::to_string(i + 1), lines[i]);
    return 0;
}
