// Reading a phoneme string group by group, decomposing each group into the
// units of the voice, and the fallbacks for units the voice lacks.
#include "tradutor/diphone/synthesizer.h"

#include "tradutor/diphone/synthesizer_output.h"
#include "tradutor/diphone/synthesizer_voice.h"
#include "tradutor/diphone/translator.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace diphone::synth {
namespace {

constexpr size_t GroupCapacity = 40;
constexpr size_t UnitNameCapacity = 12;
// A group this long ends at the next "/".
constexpr size_t GroupCutLength = 9;
// Share of their recorded length that decomposed pieces keep.
constexpr double LeadFactor = 0.9;
constexpr double DiphthongLeadFactor = 0.6;
constexpr double PluralLeadFactor = 0.7;

// Only Stressed changes anything: units emitted while a stressed vowel is
// being spoken are not cut.
enum class Accent { AfterStress, WordStart, Stressed };

struct Timing {
    int32_t unitCut = 400;
    int32_t unitKeep = 0;
    int32_t wordGap = 100;
};

struct Reader {
    std::string_view text;
    size_t position = 0;
    Accent accent = Accent::WordStart;
    bool noPunctuationPauses = false;
};

struct State {
    Timing timing;
    Reader reader;
};

State state;

bool isIn(char c, std::string_view set) {
    return set.find(c) != std::string_view::npos;
}
bool isUnitVowel(char c) {
    return isIn(c, "AEIOUaeiouwy");
}
bool isUnitConsonant(char c) {
    return isIn(c, "bcdfgjklmnpqrstvxz");
}
bool isSemivowel(char c) {
    return c == 'w' || c == 'y';
}
bool isStressedVowel(char c) {
    return isIn(c, "AEIOU");
}
bool isMark(char c) {
    return c == '^' || c == '~';
}

// Consonant pairs spoken as one sound at the start of a group.
bool startsKeptTogether(std::string_view group) {
    const auto pair = group.substr(0, 2);
    return pair == "dj" || pair == "nh" || pair == "rr" || pair == "ks" || group.starts_with("tch");
}

std::optional<int32_t> punctuationPause(char mark) {
    switch (mark) {
    case ',':
        return 4000;
    case '.':
        return 8000;
    case ';':
        return 6000;
    case ':':
        return 8000;
    default:
        return std::nullopt;
    }
}

char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Appends the unit's samples, shortened when it is unstressed and scaled by
// `factor`; false when the index does not hold the name.
bool emitIndexed(const std::string &name, Accent accent, double factor) {
    const auto unit = voice::findUnit(name);
    if (!unit)
        return false;
    int64_t length = unit->length;
    if (accent != Accent::Stressed && name.size() > 2) {
        length -= state.timing.unitCut;
        if (length < state.timing.unitKeep)
            length = std::min<int64_t>(unit->length, state.timing.unitKeep);
    }
    const double scaled = static_cast<double>(length) * factor;
    const auto count =
        static_cast<size_t>(std::clamp(scaled, 0.0, static_cast<double>(output::MaxChunkSamples)));
    const auto room = output::makeRoom(count);
    voice::readSamples(unit->offset, room);
    output::commit(room.size());
    return true;
}

// Plays a unit by name or, when the voice lacks it, by the pieces it can be
// made of; a missing name of one or two characters sounds as noise.
void emitDiphone(std::string name, Accent accent, double factor) {
    name.resize(std::min(name.size(), UnitNameCapacity));
    const bool found =
        name.starts_with('_') ? voice::emitLetterWave(name) : emitIndexed(name, accent, factor);
    if (found)
        return;
    const size_t length = name.size();
    if (length <= 2) {
        output::emitNoise();
        return;
    }
    const char last = name.back();
    if (isUnitVowel(last)) {
        emitDiphone(name.substr(0, length - 1), accent, LeadFactor * factor);
        emitDiphone(std::string("$") + last, accent, factor);
    } else if (name.ends_with("CIRC") && length >= 7) {
        emitDiphone(name.substr(0, length - 5), accent, LeadFactor * factor);
        emitDiphone("$" + name.substr(length - 5), accent, factor);
    } else if (name.ends_with("TIL") && length > 3) {
        // A nasal vowel: its closed vowel (i and u have none), then the murmur.
        const std::string vowel = name.substr(0, length - 3);
        const char plain = upperAscii(vowel.back());
        if (plain == 'I' || plain == 'U')
            emitDiphone(vowel, accent, LeadFactor * factor);
        else
            emitDiphone(vowel + "CIRC", Accent::Stressed, LeadFactor * factor);
        emitDiphone("$nn", Accent::WordStart, LeadFactor);
    }
}

// A unit of a group: a letter recording ("_" and a character), or the name
// "$" + its characters, where "^" and "~" close the name so far as its
// closed or nasal form.
void emitUnit(std::string_view unit, double factor) {
    unit = unit.substr(0, UnitNameCapacity);
    if (unit.empty())
        return;
    auto &accent = state.reader.accent;
    if (unit.front() == '_') {
        std::string name = "_";
        if (unit.size() > 1)
            name += std::to_string(static_cast<uint8_t>(unit[1]));
        emitDiphone(name, accent, factor);
        return;
    }
    std::string name = "$";
    bool stressed = false;
    for (const char c : unit) {
        if (isMark(c)) {
            emitDiphone(name + (c == '^' ? "CIRC" : "TIL"), accent, factor);
            name = "$";
            continue;
        }
        if (isStressedVowel(c)) {
            accent = Accent::Stressed;
            stressed = true;
        }
        name += c;
    }
    if (name.size() > 1)
        emitDiphone(name, accent, factor);
    if (stressed)
        accent = Accent::AfterStress;
}

// Splits a group into the units the voice records: leading consonant
// clusters, final consonants, diphthongs and a final plural "s" come apart.
void splitGroup(std::string_view group, double factor) {
    const size_t length = group.size();
    if (length <= 1) {
        emitUnit(group, factor);
        return;
    }
    if (length > 2) {
        if (isUnitConsonant(group[0]) && isUnitConsonant(group[1]) && !startsKeptTogether(group)) {
            emitUnit(group.substr(0, 1), 1.0);
            splitGroup(group.substr(1), factor);
            return;
        }
        if (group.ends_with("rr")) {
            splitGroup(group.substr(0, length - 2), factor);
            emitUnit("rr", factor);
            return;
        }
        if (isUnitConsonant(group.back())) {
            splitGroup(group.substr(0, length - 1), factor);
            splitGroup(group.substr(length - 1), factor);
            return;
        }
    }
    if (isSemivowel(group.back())) {
        const char before = group[length - 2];
        if (isUnitVowel(before) && length > 2) {
            splitGroup(group.substr(0, length - 1), DiphthongLeadFactor);
            emitUnit(group.substr(length - 2), factor);
            return;
        }
        if (isMark(before) && length >= 3) {
            // The vowel before the mark is played closed, then the diphthong
            // with the mark behind the semivowel: "a~w" sounds "aw~".
            if (length > 3) {
                if (before == '~')
                    splitGroup(std::string(group.substr(0, length - 2)) + "^", DiphthongLeadFactor);
                else
                    splitGroup(group.substr(0, length - 1), DiphthongLeadFactor);
            }
            const char moved[] = {group[length - 3], group.back(), before};
            emitUnit(std::string_view(moved, sizeof moved), factor);
            return;
        }
    }
    if (group != "_s" && group.back() == 's') {
        splitGroup(group.substr(0, length - 1), PluralLeadFactor);
        emitUnit("s", factor);
        return;
    }
    emitUnit(group, factor);
}

// The next group of units, up to a blank, the end of a word, or a "/" once
// the group holds GroupCutLength characters. A spelled punctuation mark
// becomes its pause.
std::string readGroup() {
    auto &r = state.reader;
    const std::string_view text = r.text;
    if (text[r.position] == '[') {
        r.accent = Accent::WordStart;
        ++r.position;
    }
    std::string group;
    const auto append = [&group](char c) {
        if (group.size() < GroupCapacity)
            group += c;
    };
    while (r.position < text.size() && text[r.position] != ' ' && text[r.position] != ']') {
        const char c = text[r.position];
        if (c == '/' && group.size() >= GroupCutLength)
            break;
        ++r.position;
        if (c == '/')
            continue;
        if (c == '|') {
            group = "_TRACO";
        } else if (c == '_') {
            append(c);
            if (r.position < text.size())
                append(text[r.position++]);
        } else {
            append(c);
        }
    }
    r.position = std::min(r.position + 1, text.size());
    if (!r.noPunctuationPauses && group.size() == 2 && group[0] == '_') {
        if (const auto pause = punctuationPause(group[1])) {
            group.clear();
            output::emitSilence(*pause);
        }
    }
    return group;
}

} // namespace

int32_t openVoice() {
    if (!voice::openVoiceFiles())
        return 1;
    const std::string directory = voice::diphoneDirectory();
    if (!translator::loadRules(directory + "regras.rgr") ||
        !translator::loadExceptions(directory + "portug.exc"))
        return 2;
    output::allocate();
    return 0;
}

void closeVoice() {
    output::release();
    translator::freeRules();
    voice::closeVoiceFiles();
}

void setSynthTiming(int32_t cut, int32_t keep, int32_t gap) {
    state.timing = Timing{cut, keep, gap};
}

void setVoiceName(const std::string &name) {
    voice::setVoiceName(name);
}

std::string voiceName() {
    return voice::voiceName();
}

std::string lettersDirectory() {
    return voice::lettersDirectory();
}

// Words are followed by the word gap, except the last one; groups ended by a
// blank inside a word follow each other directly.
void speakPhonemes(const std::string &phonemes, bool noPunctuationPauses) {
    if (!output::allocated())
        return;
    state.reader = Reader{phonemes, 0, Accent::WordStart, noPunctuationPauses};
    output::clear();
    while (state.reader.position < phonemes.size()) {
        splitGroup(readGroup(), 1.0);
        const size_t position = state.reader.position;
        if (position < phonemes.size() && phonemes[position - 1] != ' ')
            output::emitSilence(state.timing.wordGap);
    }
    output::flushOutput();
    state.reader = Reader{};
}

} // namespace diphone::synth
