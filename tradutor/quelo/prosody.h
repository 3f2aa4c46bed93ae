// Prosody of the built-in engine: the tokens of an utterance with their word
// classes, a three-digit pitch pattern per token, and for every phoneme its
// duration and pitch point, with a transition phoneme wherever the voice has
// no diphone. Configured by the prosody file (portug.pro) and the voice's
// diphone list (portug.dfn).
#pragma once

#include "tradutor/quelo/data_file.h"

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
bool loadProsody(const DataText &file);
bool loadDiphoneList(const std::string &path);
bool loadDiphoneList(const DataText &file);
void freeDiphoneList();
bool hasDiphone(const std::string &first, const std::string &second);
// The diphone "first-second" a line of the diphone list is read as.
std::string diphoneOfListLine(const std::string &line);

std::string lookupKeyClass(const std::string &word);
int32_t lookupDuration(const std::string &name);
// Whether the duration table lists the name (lookupDuration gives 100 ms
// for one it does not).
bool hasDuration(const std::string &name);

// "[cc]text" lines: "[--]" first and after every sentence end.
LineList buildTokenList(const std::string &text);
// "ppp|text" lines.
LineList assignPatterns(const LineList &tokens);
// MBROLA phoneme lines ("name ms [position pitch]"), comments and the empty
// lines between words kept.
LineList applyProsody(const LineList &phonemes, double durationFactor, double pitchFactor);

// The same three steps a line at a time, for utterances of any length.

// buildTokenList's lines one by one; the text must outlive the reader.
class TokenReader {
public:
    explicit TokenReader(const std::string &text) : text_(text) {}
    bool next(std::string &line);

private:
    const std::string &text_;
    size_t pos_ = 0;
    bool started_ = false;
    bool boundaryDue_ = false;
};

// assignPatterns for one token line, given the lines around it (empty when
// there is none).
class PatternAssigner {
public:
    std::string assign(const std::string &previous, const std::string &current,
                       const std::string &next);

private:
    char rememberedDigit_ = '5';
};

// The timing step's state within one utterance.
struct Timing {
    std::string pattern = "555";
    int stress = 0; // 0 before the word's first phoneme, 1 before its stress, 2 on it, 3 after
    int32_t percent = 100;
    size_t tokenLength = 0;
    std::string previousName = "_";
};

// applyProsody for one line; `lastOfWord` says whether the line after it
// is empty or missing.
class ProsodyTimer {
public:
    ProsodyTimer(double durationFactor, double pitchFactor)
        : durationFactor_(durationFactor), pitchFactor_(pitchFactor) {}
    void add(const std::string &line, bool lastOfWord, LineList &out);

private:
    Timing timing_;
    double durationFactor_;
    double pitchFactor_;
};

} // namespace quelo
