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
// CPU seconds espeak-ng takes to write the UTF-8 text to a WAV file, and the
// seconds of audio it wrote.
bool timeEspeak(const std::string &utf8Text, double &cpu, double &audio);

} // namespace bench
