// What the fuzz harnesses share: the input as text, inputs made of two
// files, the generated data tree the harnesses take their fixed files from,
// and a scratch directory for parsers that read files only by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz_support {

inline std::string_view asText(const uint8_t *data, size_t size) {
    return {reinterpret_cast<const char *>(data), size};
}

// An input holding two files: a 32-bit little-endian length, the first file
// of that length (cut to what the input holds), and the second file.
struct TwoFiles {
    std::string_view first;
    std::string_view second;
};
TwoFiles splitTwoFiles(std::string_view input);
std::string joinTwoFiles(std::string_view first, std::string_view second);

// The installed data tree the harnesses read their fixed files from:
// $ZEB_FUZZ_DATA, else the tree the build generated. Ends the process with a
// message when the file is missing, so that a harness never runs on less
// than it claims.
std::string dataFile(const std::string &relative);
std::string readDataFile(const std::string &relative);

// A directory of the process's own, created on first use and removed at exit.
const std::string &scratchDirectory();
void writeFile(const std::string &path, std::string_view bytes);

// A fresh headless machine with every module started, its drive root the
// scratch directory and its ZEBUNA.INI the text given (written there).
void startMachine(const std::string &ini);
// The same machine started afresh (clock, window, transcript, modules), so
// that nothing of one input's run stays for the next.
void restartMachine();

// The native voice as the speech layer opens it, from the letters directory
// c:\\letras and the diphone directory c:\\difones of the scratch drive, which
// get the voice "FUZZVOZ" (its index and sample files), the rules and the
// exceptions given. Returns the voice's open code.
int32_t openNativeVoice(std::string_view index, std::string_view samples, std::string_view rules,
                        std::string_view exceptions);

// Serves our own synthesizer's entry points in the process as MBROLA.DLL,
// so that the built-in engine speaks through it (and under the harness's
// sanitizers) without loading a library.
void serveSynthesizer();

} // namespace fuzz_support
