// Helpers shared by the tests: temporary data trees, WAV files, and a fresh
// headless machine with the modules started.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

// A temporary directory removed with its contents at the end of its scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string file(const std::string &relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

void writeFile(const std::string &path, const std::string &bytes);
void makeDirectories(const std::string &path);

// Pieces of RIFF/WAVE images, written out byte by byte: a little-endian
// field, a chunk with its length, the 16-byte body of a PCM format chunk, and
// "RIFF", the length, "WAVE" and the chunks.
std::string littleEndian(uint32_t value, int bytes);
std::string riffChunk(const std::string &name, const std::string &body);
std::string pcmFormatBody(uint32_t rate = 11025, uint16_t bits = 8, uint16_t channels = 1);
std::string riffWave(const std::string &chunks, const std::string &name = "RIFF");

// A PCM WAV file image: canonical 44-byte header and `samples`.
std::string wavImage(const std::vector<uint8_t> &samples, uint32_t rate = 11025, uint16_t bits = 8,
                     uint16_t channels = 1);
// `ms` milliseconds of 8-bit 11025 Hz sound.
std::string wavOfMs(uint32_t ms);

// A fresh headless machine: clock at 0, empty transcript, the given key
// script, the drive root and ZEBUNA.INI given, no speech engine (a scripted
// host where none is registered), and every module started.
// A wait with nothing to come ends the run (headless::ProcessExit -1).
void startMachine(const std::string &root, const std::string &iniPath,
                  const std::string &keyScript = "");

// Runs `body` and returns the exit code it ended the program with, or
// INT32_MIN when it returned normally.
template <typename Body> int32_t exitCodeOf(Body body);

// The transcript's lines of one kind ("text", "sound", ...), without the kind.
std::vector<std::string> transcriptLines(const std::string &kind);
// The names of the sounds played, in order.
std::vector<std::string> soundsPlayed();
// Everything printed, joined (Windows-1252).
std::string textPrinted();

} // namespace test_support

#include "platform/headless/headless.h"

#include <climits>

template <typename Body> int32_t test_support::exitCodeOf(Body body) {
    try {
        body();
    } catch (const headless::ProcessExit &exit) {
        return exit.code;
    }
    return INT32_MIN;
}
