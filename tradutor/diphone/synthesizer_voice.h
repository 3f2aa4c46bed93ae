// The voice on disk: the letters and diphone directories, the unit index
// (.IND) loaded whole, the sample file (.DIF) kept open while the voice is
// open, and the letter recordings.
#pragma once

#include "platform/file.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace diphone::synth::voice {

constexpr size_t VoiceNameLength = 8;

void setVoiceName(const std::string &name);
std::string voiceName();
// Both directories end in a backslash.
std::string lettersDirectory();
std::string diphoneDirectory();
// The diphone directory ZEBUNA.INI names (DIRDIFONES of section TRADUTOR),
// as openVoiceFiles reads it.
std::string configuredDiphoneDirectory();

// A record of an index file as the synthesizer reads it.
struct IndexRecord {
    std::string name;         // the name lookups compare with
    uint8_t storedLength = 0; // the length byte as written
    uint16_t length = 0;      // samples
    int32_t offset = 0;       // of the first sample in the sample file
};
// The records of an index file, and how many bytes after the last whole
// record are ignored; false when the file cannot be read.
bool readIndexRecords(const std::string &path, std::vector<IndexRecord> &records,
                      size_t &remainder);

// Reads both directories from ZEBUNA.INI, loads the index and opens the
// sample file; false when a directory or either file is missing.
bool openVoiceFiles();
void closeVoiceFiles();

// Where a unit's samples lie in the sample file.
struct UnitPlace {
    uint16_t length = 0;
    int32_t offset = 0;
};
// Looks a unit name up in the index without regard to the case of a..z.
// A name the index cannot hold (more than 8 characters) is never found.
std::optional<UnitPlace> findUnit(const std::string &name);
// Fills `samples` from the sample file starting at `offset`; what lies
// outside the file is silence.
void readSamples(int64_t offset, std::span<uint8_t> samples);

// Appends the data of the letter recording `name` + ".wav" to the output;
// false when the recording is missing, malformed or empty.
bool emitLetterWave(const std::string &name);
// Reads a RIFF/WAVE header up to the start of the data chunk and returns the
// data length; 0 when the file is not such a file.
uint32_t findDataChunk(platform::File &file);

} // namespace diphone::synth::voice
