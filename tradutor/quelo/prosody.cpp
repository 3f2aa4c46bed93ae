// Prosody: the prosody file's three sections, the diphone list, and the
// token, pattern and timing steps of an utterance.
#include "tradutor/quelo/prosody.h"

#include "platform/cp1252_literal.h"
#include "platform/platform.h"
#include "tradutor/quelo/data_file.h"
#include "tradutor/quelo/letters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>

using namespace platform::literals;

namespace quelo {
namespace {

constexpr size_t MaxLineLength = 1024;
constexpr size_t MaxNameLength = 2;
constexpr size_t MaxClassLength = 2;
constexpr size_t MaxRuleFieldLength = 3;
constexpr size_t MaxDiphones = 100000;
constexpr size_t PatternLength = 3;
constexpr int32_t StressedPercent = 145;
constexpr char DiaeresisMark = '\250'; // "¨": a phoneme that restores the normal length
constexpr const char *MessageCaption = "Quelo";

struct Duration {
    std::string name;
    int32_t ms = DefaultDurationMs;
};

struct Keyword {
    std::string key;
    std::string wordClass;
};

struct PitchRule {
    std::array<std::string, 3> classes; // previous, current, next; empty = any
    std::string pattern;
};

struct State {
    std::vector<Duration> durations;
    std::vector<Keyword> keywords;
    std::vector<PitchRule> rules;
    int32_t hertz = DefaultHertz;
    std::array<int32_t, 10> tabHertz{};
    std::vector<std::string> diphones; // "first-second", sorted without regard to case
    std::string currentName;           // kept from one utterance to the next
};

State state;

void showMessage(const std::string &text) {
    platform::messageBox(text, MessageCaption);
}

// ---- numbers ----

bool parseInt32(const std::string &text, int32_t &value) {
    const std::string digits = trimmed(text);
    size_t i = 0;
    const bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+'))
        i = 1;
    if (i == digits.size())
        return false;
    int64_t magnitude = 0;
    for (; i < digits.size(); ++i) {
        if (digits[i] < '0' || digits[i] > '9')
            return false;
        magnitude = magnitude * 10 + (digits[i] - '0');
        if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return false;
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

// trunc(product) / 100 with the remainder dropped, the product held within
// the range of a 64-bit integer.
int64_t truncatedHundredth(double product) {
    constexpr double Limit = 9.0e18;
    if (!std::isfinite(product))
        return 0;
    return static_cast<int64_t>(std::clamp(product, -Limit, Limit)) / 100;
}

// ---- the prosody file ----

enum class SectionResult { Missing, Stopped, Read };

// Calls `onEntry` for every entry line of the section that the header line
// opens; `onEntry` returns false to stop the load.
SectionResult readSection(const DataText &file, const std::string &header,
                          const std::function<bool(const std::string &)> &onEntry) {
    enum class Phase { Seeking, Inside, Done } phase = Phase::Seeking;
    SectionResult result = SectionResult::Missing;
    file.forEachLine(MaxLineLength, [&](const std::string &line) {
        if (phase == Phase::Seeking) {
            if (trimmed(line) == header) {
                phase = Phase::Inside;
                result = SectionResult::Read;
            }
            return;
        }
        if (phase == Phase::Done)
            return;
        if (!line.empty() && line[0] == '[') {
            phase = Phase::Done;
            return;
        }
        if (trimmed(line).empty() || line[0] == ';' || line[0] == '*')
            return;
        if (!onEntry(line)) {
            phase = Phase::Done;
            result = SectionResult::Stopped;
        }
    });
    return result;
}

// Shows the capacity message once per load of a section.
bool roomFor(const DataText &file, size_t used, size_t capacity, bool &warned,
             const std::string &message, const std::string &line) {
    if (used < capacity)
        return true;
    if (!warned)
        showMessage(message + line);
    warned = true;
    file.report("more than " + std::to_string(capacity) + " entries in the section: ignored");
    return false;
}

// Reports a field the loader cuts to `limit` characters.
void reportCut(const DataText &file, const char *what, const std::string &field, size_t limit) {
    if (field.size() > limit)
        file.report(std::string(what) + " \"" + field + "\" is longer than " +
                    std::to_string(limit) + " characters: cut to \"" + field.substr(0, limit) +
                    "\"");
}

bool readDurations(const DataText &file) {
    bool full = false;
    const SectionResult result =
        readSection(file, "[DURAÇÃO]"_cp1252, [&](const std::string &line) {
            const size_t equals = line.find('=');
            if (equals == std::string::npos) {
                showMessage("Configuração da prosódia: fonema errado: "_cp1252 + line);
                file.report("no \"=\": the engine refuses the whole file");
                return false;
            }
            if (!roomFor(file, state.durations.size(), MaxDurations, full,
                         "Configuração da prosódia: fonemas demais: "_cp1252, line))
                return true;
            const std::string name = trimmed(line.substr(0, equals));
            reportCut(file, "phoneme name", name, MaxNameLength);
            Duration entry{name.substr(0, MaxNameLength), DefaultDurationMs};
            if (file.reporting() && hasDuration(entry.name))
                file.report("phoneme " + entry.name +
                            " has a duration already: this one is not used");
            if (!parseInt32(line.substr(equals + 1), entry.ms)) {
                showMessage("Configuração da prosódia: fonema errado: "_cp1252 + line);
                file.report("the duration is not a whole number: 100 ms is used");
                entry.ms = DefaultDurationMs;
            }
            state.durations.push_back(entry);
            return true;
        });
    if (result == SectionResult::Missing) {
        showMessage("Duração dos difones errada ou ausente"_cp1252);
        file.report("no [DURAÇÃO] section: the engine refuses the whole file"_cp1252);
    }
    return result == SectionResult::Read;
}

bool readKeywords(const DataText &file) {
    bool full = false;
    const SectionResult result = readSection(file, "[CHAVES]", [&](const std::string &line) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            showMessage("Configuração da prosódia: chave errada: "_cp1252 + line);
            file.report("no \"=\": the engine refuses the whole file");
            return false;
        }
        if (!roomFor(file, state.keywords.size(), MaxKeywords, full,
                     "Configuração da prosódia: chaves demais: "_cp1252, line))
            return true;
        const std::string wordClass = upperCased(trimmed(line.substr(equals + 1)));
        reportCut(file, "class", wordClass, MaxClassLength);
        if (wordClass.size() < MaxClassLength)
            file.report("class \"" + wordClass + "\" is shorter than " +
                        std::to_string(MaxClassLength) +
                        " characters: token lines keep two, it is misread");
        const std::string key = upperCased(trimmed(line.substr(0, equals)));
        if (file.reporting() &&
            std::any_of(state.keywords.begin(), state.keywords.end(),
                        [&](const Keyword &keyword) { return keyword.key == key; }))
            file.report("keyword " + key + " has a class already: this one is not used");
        state.keywords.push_back({key, wordClass.substr(0, MaxClassLength)});
        return true;
    });
    if (result == SectionResult::Missing) {
        showMessage("Prosódia: palavras chaves ausentes"_cp1252);
        file.report("no [CHAVES] section: the engine refuses the whole file");
        return false;
    }
    std::stable_sort(state.keywords.begin(), state.keywords.end(),
                     [](const Keyword &a, const Keyword &b) { return a.key < b.key; });
    return result == SectionResult::Read;
}

bool isValidPattern(const std::string &pattern) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    return pattern.size() == PatternLength && (isDigit(pattern[0]) || pattern[0] == '?') &&
           isDigit(pattern[1]) && isDigit(pattern[2]);
}

PitchRule parseRule(const std::string &classesText, const std::string &pattern) {
    PitchRule rule;
    rule.pattern = pattern;
    size_t start = 0;
    for (std::string &field : rule.classes) {
        if (start > classesText.size())
            break;
        size_t bar = classesText.find('|', start);
        if (bar == std::string::npos)
            bar = classesText.size();
        field = trimmed(classesText.substr(start, bar - start)).substr(0, MaxRuleFieldLength);
        start = bar + 1;
    }
    return rule;
}

// Whether `earlier` matches every token `later` matches: each of its class
// fields is empty (any class) or the same as the later one's.
bool covers(const PitchRule &earlier, const PitchRule &later) {
    for (size_t i = 0; i < earlier.classes.size(); ++i)
        if (!earlier.classes[i].empty() && earlier.classes[i] != later.classes[i])
            return false;
    return true;
}

// "TABHERTZ=" values; those that are not whole numbers keep their old value.
bool readPitchTable(const std::string &values) {
    bool allRead = true;
    size_t start = 0;
    for (int32_t &entry : state.tabHertz) {
        if (start > values.size())
            return false;
        size_t comma = values.find(',', start);
        if (comma == std::string::npos)
            comma = values.size();
        allRead = parseInt32(values.substr(start, comma - start), entry) && allRead;
        start = comma + 1;
    }
    return allRead;
}

bool readPitchSettings(const DataText &file) {
    bool full = false;
    const SectionResult result =
        readSection(file, "[PROSÓDIA]"_cp1252, [&](const std::string &raw) {
            const std::string line = upperCased(raw);
            const std::string entry = trimmed(line);
            if (entry.starts_with("HERTZ=") || entry.starts_with("TABHERTZ=")) {
                const bool table = entry[0] == 'T';
                const std::string value = entry.substr(table ? 9 : 6);
                if (!(table ? readPitchTable(value) : parseInt32(value, state.hertz))) {
                    showMessage("Configuração da prosódia: valor errado: "_cp1252 + line);
                    file.report(
                        table ? "TABHERTZ= needs ten whole numbers: the others keep their value"
                              : "HERTZ= is not a whole number: ignored");
                } else if (table && std::count(value.begin(), value.end(), ',') > 9) {
                    file.report("TABHERTZ= has more than ten values: the rest are ignored");
                }
                return true;
            }
            const size_t equals = entry.find('=');
            if (equals == std::string::npos) {
                showMessage("Configuração da prosódia: chave errada: "_cp1252 + line);
                file.report("no \"=\": the engine refuses the whole file");
                return false;
            }
            const std::string pattern = trimmed(entry.substr(equals + 1));
            if (!isValidPattern(pattern)) {
                showMessage("Configuração da prosódia: padrão errado: "_cp1252 + line);
                file.report("pattern \"" + pattern +
                            "\" is not three digits (or \"?\" and two digits): ignored");
            } else if (roomFor(file, state.rules.size(), MaxProsodyRules, full,
                               "Configuração da prosódia: regras demais: "_cp1252, line)) {
                const PitchRule rule = parseRule(trimmed(entry.substr(0, equals)), pattern);
                for (const std::string &field : rule.classes)
                    if (field.size() > MaxClassLength)
                        file.report("class \"" + field + "\" is longer than " +
                                    std::to_string(MaxClassLength) +
                                    " characters: the rule never applies");
                if (file.reporting() &&
                    std::any_of(state.rules.begin(), state.rules.end(),
                                [&](const PitchRule &earlier) { return covers(earlier, rule); }))
                    file.report(
                        "an earlier rule matches every token this one does: it never applies");
                state.rules.push_back(rule);
            }
            return true;
        });
    if (result == SectionResult::Missing) {
        showMessage("Prosódia: especificações ausentes"_cp1252);
        file.report("no [PROSÓDIA] section: the engine refuses the whole file"_cp1252);
    }
    return result == SectionResult::Read;
}

// ---- the diphone list ----

bool isNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '2' || c == '@' || c == '_';
}

int compareFolded(const std::string &a, const std::string &b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string diphoneOfLine(const std::string &line) {
    size_t i = 0;
    while (i < line.size() && isNameChar(line[i]))
        ++i;
    const std::string first = line.substr(0, i);
    ++i;
    while (i < line.size() && !isNameChar(line[i]))
        ++i;
    size_t end = std::min(i + 1, line.size());
    while (end < line.size() && isNameChar(line[end]))
        ++end;
    return first + "-" + (i < line.size() ? line.substr(i, end - i) : std::string());
}

bool inDiphoneList(const std::string &diphone) {
    const auto found = std::lower_bound(
        state.diphones.begin(), state.diphones.end(), diphone,
        [](const std::string &a, const std::string &b) { return compareFolded(a, b) < 0; });
    return found != state.diphones.end() && compareFolded(*found, diphone) == 0;
}

// ---- timing ----

bool isTokenComment(const std::string &line) {
    return line.size() >= 5 && line[0] == ';' && line[4] == '|';
}

// Removes the stress marks and sets the timing state they ask for.
std::string unmarked(std::string line, Timing &timing) {
    if (!line.empty() && line[0] == '>') {
        line.erase(0, 1);
        if (!line.empty() && line[0] == DiaeresisMark)
            line.erase(0, 1);
        timing.percent = StressedPercent;
        timing.stress = 2;
    } else if (!line.empty() && line[0] == DiaeresisMark) {
        line.erase(0, 1);
        timing.percent = 100;
    }
    return line;
}

// The phoneme's base duration at normal speed, and its name.
int32_t baseDuration(const std::string &line, const Timing &timing, std::string &name) {
    if (!line.empty() && line[0] == '_') {
        name = "_";
        int32_t ms = DefaultDurationMs;
        if (line.size() > 2 && line[1] == ' ' && parseInt32(line.substr(2), ms))
            return ms;
        return line == "_" ? DefaultDurationMs : lookupDuration(line);
    }
    name = line;
    int32_t ms = lookupDuration(name);
    if (timing.stress < 2) {
        if (timing.tokenLength > 13)
            ms = static_cast<int32_t>(int64_t{ms} * 80 / 100);
        else if (timing.tokenLength > 9)
            ms = static_cast<int32_t>(int64_t{ms} * 90 / 100);
    }
    return ms;
}

// The pattern digit whose pitch the phoneme carries, and where, or none.
bool pitchPoint(Timing &timing, bool lastOfWord, int &position, char &digit) {
    switch (timing.stress) {
    case 0:
        timing.stress = 1;
        position = 50;
        digit = timing.pattern[0];
        return true;
    case 2:
        timing.stress = 3;
        position = 80;
        digit = timing.pattern[1];
        return true;
    case 3:
        position = 50;
        digit = timing.pattern[2];
        return lastOfWord;
    default:
        return false;
    }
}

std::string timedLine(const std::string &line, bool lastOfWord, Timing &timing,
                      double durationFactor, double pitchFactor) {
    std::string name;
    const int32_t base = baseDuration(line, timing, name);
    const int64_t ms = truncatedHundredth(double(base) * timing.percent * durationFactor);
    state.currentName = name;
    std::string timed = name + " " + std::to_string(ms);
    int position = 0;
    char digit = '5';
    if (pitchPoint(timing, lastOfWord, position, digit) && digit >= '0' && digit <= '9') {
        const int32_t percent = state.tabHertz[static_cast<size_t>(digit - '0')];
        if (percent != 0)
            timed += " " + std::to_string(position) + " " +
                     std::to_string(truncatedHundredth(percent * pitchFactor * state.hertz));
    }
    return timed;
}

// Appends the line, with a transition phoneme first when the voice has no
// diphone from the previous phoneme to this one.
void appendChecked(LineList &out, const std::string &line, Timing &timing) {
    const std::string &current = state.currentName;
    if (!current.empty() && !hasDiphone(timing.previousName, current)) {
        if (timing.previousName == "r2" && hasDiphone(timing.previousName, "_"))
            out.push_back("_ 50");
        else
            out.push_back(hasDiphone(timing.previousName, "y") ? "y 50" : "_ 50");
    }
    // Only a phoneme moves the previous name on: a word's comment line, which
    // follows the empty line that cleared the current name, leaves it at the
    // last phoneme before, so the next word's first diphone is checked
    // across the word boundary.
    if (!line.empty() && !current.empty())
        timing.previousName = current;
    out.push_back(line);
}

} // namespace

bool loadProsody(const DataText &file) {
    state.durations.clear();
    state.keywords.clear();
    state.rules.clear();
    state.hertz = DefaultHertz;
    if (!file.exists()) {
        showMessage("Configuração da prosódia não foi achada"_cp1252);
        return false;
    }
    return readDurations(file) && readKeywords(file) && readPitchSettings(file);
}

bool loadProsody(const std::string &path) {
    return loadProsody(DataText::file(path));
}

bool loadDiphoneList(const std::string &path) {
    return loadDiphoneList(DataText::file(path));
}

bool loadDiphoneList(const DataText &file) {
    freeDiphoneList();
    const bool read = file.forEachLine(MaxLineLength, [&](const std::string &raw) {
        const std::string line = trimmed(raw);
        if (line.empty() || line[0] == '!' || line[0] == '*' || line[0] == ';')
            return;
        if (state.diphones.size() == MaxDiphones) {
            file.report("more than " + std::to_string(MaxDiphones) + " diphones: ignored");
            return;
        }
        const std::string diphone = diphoneOfLine(line);
        if (diphone.front() == '-' || diphone.back() == '-')
            file.report("read as the diphone \"" + diphone + "\", which has a name missing");
        state.diphones.push_back(diphone);
    });
    std::sort(state.diphones.begin(), state.diphones.end(),
              [](const std::string &a, const std::string &b) { return compareFolded(a, b) < 0; });
    return read;
}

void freeDiphoneList() {
    state.diphones.clear();
    state.diphones.shrink_to_fit();
}

std::string diphoneOfListLine(const std::string &line) {
    return diphoneOfLine(trimmed(line));
}

bool hasDiphone(const std::string &first, const std::string &second) {
    return inDiphoneList(first + "-" + second);
}

std::string lookupKeyClass(const std::string &word) {
    const std::string key = upperCased(word);
    const auto found =
        std::lower_bound(state.keywords.begin(), state.keywords.end(), key,
                         [](const Keyword &entry, const std::string &k) { return entry.key < k; });
    return found != state.keywords.end() && found->key == key ? found->wordClass : std::string();
}

int32_t lookupDuration(const std::string &name) {
    for (const Duration &entry : state.durations)
        if (entry.name == name)
            return entry.ms;
    return DefaultDurationMs;
}

bool hasDuration(const std::string &name) {
    return std::any_of(state.durations.begin(), state.durations.end(),
                       [&](const Duration &entry) { return entry.name == name; });
}

bool TokenReader::next(std::string &line) {
    if (!started_) {
        started_ = true;
        line = "[--]";
        return true;
    }
    if (boundaryDue_) {
        boundaryDue_ = false;
        line = "[--]";
        return true;
    }
    while (pos_ < text_.size() && text_[pos_] == ' ')
        ++pos_;
    if (pos_ == text_.size())
        return false;
    std::string wordClass;
    std::string token;
    if (text_.compare(pos_, 2, "..") == 0) {
        while (pos_ < text_.size() && text_[pos_] == '.')
            ++pos_;
        wordClass = ".-";
        token = ".";
    } else if (!isLetter(text_[pos_])) {
        token = std::string(1, text_[pos_++]);
        wordClass = token + token;
    } else {
        const size_t start = pos_;
        while (pos_ < text_.size() && isLetter(text_[pos_]))
            ++pos_;
        token = text_.substr(start, pos_ - start);
        wordClass = lookupKeyClass(token);
        if (wordClass.empty())
            wordClass = "XX";
    }
    line = "[" + wordClass + "]" + token;
    boundaryDue_ = token[0] == '!' || token[0] == '.' || token[0] == '?';
    return true;
}

LineList buildTokenList(const std::string &text) {
    LineList tokens;
    TokenReader reader(text);
    for (std::string line; reader.next(line);)
        tokens.push_back(line);
    return tokens;
}

std::string PatternAssigner::assign(const std::string &previous, const std::string &current,
                                    const std::string &next) {
    const auto classOf = [](const std::string &line) {
        return line.size() >= 3 ? line.substr(1, 2) : std::string();
    };
    const std::array<std::string, 3> classes = {classOf(previous), classOf(current), classOf(next)};
    std::string pattern = "555";
    for (const PitchRule &rule : state.rules) {
        bool matches = true;
        for (size_t k = 0; k < classes.size(); ++k)
            matches = matches && (rule.classes[k].empty() || rule.classes[k] == classes[k]);
        if (matches) {
            pattern = rule.pattern;
            break;
        }
    }
    if (pattern[0] == '?')
        pattern[0] = rememberedDigit_;
    rememberedDigit_ = pattern[2];
    return pattern + "|" + (current.size() > 4 ? current.substr(4) : "");
}

LineList assignPatterns(const LineList &tokens) {
    LineList patterns;
    PatternAssigner assigner;
    const std::string none;
    for (size_t i = 0; i < tokens.size(); ++i)
        patterns.push_back(assigner.assign(i > 0 ? tokens[i - 1] : none, tokens[i],
                                           i + 1 < tokens.size() ? tokens[i + 1] : none));
    return patterns;
}

void ProsodyTimer::add(const std::string &input, bool lastOfWord, LineList &out) {
    std::string line = input;
    if (isTokenComment(line)) {
        timing_.pattern = line.substr(1, PatternLength);
        line = ";" + line.substr(5);
        timing_.tokenLength = line.size();
        timing_.stress = 0;
    } else if (line.empty()) {
        timing_.percent = 100;
        state.currentName.clear();
    } else if (line[0] != ';') {
        line =
            timedLine(unmarked(line, timing_), lastOfWord, timing_, durationFactor_, pitchFactor_);
    }
    appendChecked(out, line, timing_);
}

LineList applyProsody(const LineList &phonemes, double durationFactor, double pitchFactor) {
    LineList out;
    ProsodyTimer timer(durationFactor, pitchFactor);
    for (size_t i = 0; i < phonemes.size(); ++i)
        timer.add(phonemes[i], i + 1 == phonemes.size() || phonemes[i + 1].empty(), out);
    return out;
}

} // namespace quelo
