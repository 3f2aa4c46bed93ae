#include "tradutor/diphone/synthesizer_voice.h"

#include "platform/little_endian.h"
#include "platform/platform.h"
#include "platform/wav_format.h"
#include "tradutor/diphone/synthesizer_output.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace diphone::synth::voice {
namespace {

constexpr size_t DirectoryCapacity = 81; // directories keep at most 80 characters
constexpr const char *DefaultLettersDir = "c:\\talvek\\som\\letras";
constexpr const char *DefaultDiphoneDir = "c:\\talvek\\som\\difones";
constexpr size_t RecordSize = 15;
constexpr size_t IndexNameLength = 8;
// Far beyond any voice (a million units); a larger file is not an index.
constexpr size_t MaxIndexBytes = RecordSize * 1000000;

// One record of the index file: name length, 8 name bytes, 16-bit length,
// 32-bit offset, little-endian.
struct DiphoneIndexEntry {
    uint8_t nameLength = 0;
    std::array<char, IndexNameLength> name{};
    uint16_t length = 0;
    int32_t offset = 0;

    std::string_view nameView() const { return {name.data(), nameLength}; }
};

struct State {
    std::string voiceName = "DIFONES2";
    std::string lettersDir = std::string(DefaultLettersDir) + "\\";
    std::string diphoneDir = std::string(DefaultDiphoneDir) + "\\";
    std::vector<DiphoneIndexEntry> index;
    platform::File samples;
};

State state;

std::string withBackslash(std::string directory) {
    if (directory.empty() || directory.back() != '\\')
        directory += '\\';
    return directory;
}

// Read by the bare file name, through the profile functions' own search.
std::string configuredDirectory(const char *key, const char *defaultValue) {
    return withBackslash(
        platform::profileString("ZEBUNA.INI", "TRADUTOR", key, defaultValue, DirectoryCapacity));
}

// A name longer than the 8 bytes a record holds keeps its first 8, so it
// can never equal a longer lookup name.
DiphoneIndexEntry parseRecord(const uint8_t *bytes) {
    DiphoneIndexEntry entry;
    entry.nameLength = static_cast<uint8_t>(std::min<size_t>(bytes[0], IndexNameLength));
    std::copy_n(bytes + 1, IndexNameLength, entry.name.begin());
    entry.length = le::read16(bytes + 9);
    entry.offset = static_cast<int32_t>(le::read32(bytes + 11));
    return entry;
}

// The whole index in memory; a remainder shorter than a record is ignored.
bool loadIndex(const std::string &path) {
    std::string bytes;
    if (!platform::readWholeFile(path, bytes, MaxIndexBytes))
        return false;
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.data());
    state.index.clear();
    state.index.reserve(bytes.size() / RecordSize);
    for (size_t at = 0; at + RecordSize <= bytes.size(); at += RecordSize)
        state.index.push_back(parseRecord(data + at));
    return true;
}

} // namespace

std::string configuredDiphoneDirectory() {
    return configuredDirectory("DIRDIFONES", DefaultDiphoneDir);
}

bool readIndexRecords(const std::string &path, std::vector<IndexRecord> &records,
                      size_t &remainder) {
    std::string bytes;
    if (!platform::readWholeFile(path, bytes, MaxIndexBytes))
        return false;
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.data());
    records.clear();
    for (size_t at = 0; at + RecordSize <= bytes.size(); at += RecordSize) {
        const DiphoneIndexEntry entry = parseRecord(data + at);
        records.push_back({std::string(entry.nameView()), data[at], entry.length, entry.offset});
    }
    remainder = bytes.size() % RecordSize;
    return true;
}

void setVoiceName(const std::string &name) {
    state.voiceName = name.substr(0, VoiceNameLength);
}

std::string voiceName() {
    return state.voiceName;
}

std::string lettersDirectory() {
    return state.lettersDir;
}

std::string diphoneDirectory() {
    return state.diphoneDir;
}

bool openVoiceFiles() {
    closeVoiceFiles();
    state.lettersDir = configuredDirectory("dirLetras", DefaultLettersDir);
    if (!platform::directoryExists(state.lettersDir))
        return false;
    state.diphoneDir = configuredDiphoneDirectory();
    if (!platform::directoryExists(state.diphoneDir))
        return false;
    const std::string stem = state.diphoneDir + state.voiceName;
    return loadIndex(stem + ".IND") && state.samples.open(stem + ".DIF");
}

void closeVoiceFiles() {
    state.samples.close();
    state.index.clear();
    state.index.shrink_to_fit();
}

// Bisection over the records as the index orders them. An index that is not
// sorted makes lookups miss, never read outside the table.
std::optional<UnitPlace> findUnit(const std::string &name) {
    if (name.size() > IndexNameLength)
        return std::nullopt;
    std::string key = name;
    for (auto &c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    size_t low = 0, high = state.index.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const auto &entry = state.index[middle];
        const int order = std::string_view(key).compare(entry.nameView());
        if (order == 0)
            return UnitPlace{entry.length, entry.offset};
        if (order > 0)
            low = middle + 1;
        else
            high = middle;
    }
    return std::nullopt;
}

void readSamples(int64_t offset, std::span<uint8_t> samples) {
    size_t got = 0;
    if (offset >= 0 && state.samples.seek(offset))
        got = state.samples.read(samples.data(), samples.size());
    std::fill(samples.begin() + static_cast<std::ptrdiff_t>(got), samples.end(), output::Silence);
}

bool emitLetterWave(const std::string &name) {
    platform::File file;
    if (!file.open(state.lettersDir + name + ".wav"))
        return false;
    const uint32_t length = findDataChunk(file);
    if (length == 0)
        return false;
    const auto room = output::makeRoom(length);
    output::commit(file.read(room.data(), room.size()));
    return true;
}

uint32_t findDataChunk(platform::File &file) {
    // Only the data is used: the format is not looked at.
    wav::Format unused;
    uint32_t length = 0;
    if (!wav::readFileFormat(file, unused) || !wav::findFileData(file, length))
        return 0;
    return length;
}

} // namespace diphone::synth::voice
