// What the benchmarks share: CPU time, peak memory, a 10,000-word text, and
// espeak-ng timed on the same text.
#pragma once

#include <string>
#include <vector>

namespace bench {

double cpuSeconds();
// The process's peak resident set in KiB.
long peakResidentKiB();
std::string readFile(const std::string &path);
// 10,000 words in sentences of eight, from the game's word list (UTF-8).
std::string gameWordsText();
size_t wordCount(const std::string &text);
// Pieces of the text ending at its full stops and commas, at most 900 bytes.
std::vector<std::string> sentences(const std::string &text);
// Seconds of sound in a WAV file (its data chunk); 0 when it is none.
double wavSeconds(const std::string &path);
// Has espeak-ng write the same UTF-8 text to a WAV file and prints its
// figures beside those of `who` (seconds of speech, CPU seconds): the ratio
// of the real-time factors and of the speech durations. When espeak-ng cannot
// run, says so loudly and returns false.
bool compareWithEspeak(const char *who, const std::string &utf8Text, double audio, double cpu);
// The directory of the running benchmark: the build's bin/, where the
// programs it times lie.
std::string programDirectory();
// A program run to its end: wall time, its own peak resident set (KiB), and
// whether it exited with status 0.
struct ProgramRun {
    double wallSeconds = 0;
    long peakKiB = 0;
    bool succeeded = false;
};
// Runs the program (arguments[0], looked for on the PATH unless a path) with its standard input
// from `inputPath` and its output discarded.
ProgramRun runProgram(const std::vector<std::string> &arguments, const std::string &inputPath);

} // namespace bench
