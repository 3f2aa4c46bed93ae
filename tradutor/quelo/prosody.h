// Prosody of the built-in engine: the tokens of an utterance with their word
// classes, a three-digit pitch pattern per token, and for every phoneme its
// duration and pitch point, with a transition phoneme wherever the voice has
// no diphone. Configured by the prosody file (portug.pro) and the voice's
// diphone list (portug.dfn).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quelo {

using LineList = std::vector<std::string>;

// Capacities of the prosody tables; entries beyond them are refused.
constexpr size_t MaxDurations = 100;
constexpr size_t MaxKeywords = 1000;
constexpr size_t MaxProsodyRules = 300;
constexpr int32_t DefaultHertz = 230;
constexpr int32_t DefaultDurationMs = 100;

// Fills the duration table, the keyword table, HERTZ, TABHERTZ and the
// pitch rules. Faults in the file are shown in a message box; false when the
// file is missing, a section is absent or a line cannot be understood.
bool loadProsody(const std::string &path);
bool loadDiphoneList(const std::string &path);
void freeDiphoneList();
bool hasDiphone(const std::string &first, const std::string &second);

std::string lookupKeyClass(const std::string &word);
int32_t lookupDuration(const std::string &name);

// "[cc]text" lines: "[--]" first and after every sentence end.
LineList buildTokenList(const std::string &text);
// "ppp|text" lines.
LineList assignPatterns(const LineList &tokens);
// MBROLA phoneme lines ("name ms [position pitch]"), comments and the empty
// lines between words kept.
LineList applyProsody(const LineList &phonemes, double durationFactor, double pitchFactor);

} // namespace quelo
