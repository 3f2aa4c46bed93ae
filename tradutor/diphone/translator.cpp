// Letter-to-sound translator: text normalisation, word reading, respellings,
// stress marking and the context-sensitive letter rules.
#include "tradutor/diphone/translator.h"

#include "platform/file.h"
#include "tradutor/exception_table.h"
#include "tradutor/rule_languages.h"
#include "tradutor/rule_lines.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace diphone::translator {
namespace {

struct State {
    // Rules bucketed by the first character of their centre, in file order.
    rule_matcher::RuleBook rules{FirstChainCode, ChainCount};
    exception_table::Table exceptions;
};

State state;

// ---- character classes (on the byte value) ----

bool isVowel(char c) {
    switch (c) {
    case 'A':
    case 'E':
    case 'I':
    case 'O':
    case 'U':
    case 'a':
    case 'e':
    case 'i':
    case 'o':
    case 'u':
        return true;
    default:
        return false;
    }
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isConsonant(char c) {
    return isAsciiLetter(c) && !isVowel(c);
}

bool isAccentMark(char c) {
    return c == '\'' || c == '^' || c == '`' || c == '~' || c == '"';
}

bool isLetterOrMark(char c) {
    return isAsciiLetter(c) || isAccentMark(c);
}

bool isPauseChar(char c) {
    return c == ' ' || c == '!' || c == ',' || c == '.' || c == ':' || c == ';' || c == '?';
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// ---- accent table ----

struct AccentGroup {
    const char *replacement;
    std::initializer_list<int> codes;
};

std::array<const char *, 128> buildAccentTable() {
    const AccentGroup groups[] = {
        {"a'", {134, 143, 160, 193, 225}},
        {"a^", {131, 194, 226}},
        {"a`", {133, 192, 224}},
        {"a~", {132, 142, 195, 196, 227, 228}},
        {"a", {197, 229}},
        {"ae", {145, 198, 230}},
        {"e'", {130, 144, 201, 233}},
        {"e^", {136, 202, 234}},
        {"e`", {138, 200, 232}},
        {"e\"", {137, 203, 235}},
        {"i'", {161, 205, 237}},
        {"i^", {140, 206, 238}},
        {"i`", {141, 204, 236}},
        {"i\"", {139, 207, 239}},
        {"o'", {162, 211, 243}},
        {"o^", {147, 212, 244}},
        {"o`", {149, 210, 214, 242, 246}},
        {"o~", {148, 153, 213, 245}},
        {"u'", {163, 218, 250}},
        {"u^", {150, 219, 251}},
        {"u`", {151, 217, 249}},
        {"u\"", {129, 154}},
        {"u", {220, 252}},
        {"nh", {164, 165, 209, 241}},
        {"ss", {128, 135, 199, 231}},
        {"x", {215, 247}},
        {"0", {216, 248}},
        {"y-", {152}},
        {"-", {146}},
        {"!", {173}},
        {"?", {168, 191}},
        {"\"", {174, 175}},
        {"\xa7", {167}},
        {"\xaa", {171}},
        {"\xba", {187}},
    };
    std::array<const char *, 128> table{};
    table.fill("");
    for (const AccentGroup &group : groups)
        for (const int code : group.codes)
            table[static_cast<size_t>(code - 128)] = group.replacement;
    return table;
}

using rule_lines::cut;

// ---- stress ----

bool isLower(const std::string &w, size_t p, std::initializer_list<char> letters) {
    if (p < 1 || p > w.size())
        return false;
    return std::find(letters.begin(), letters.end(), w[p - 1]) != letters.end();
}

bool consonantAt(const std::string &w, size_t p) {
    return p >= 1 && p <= w.size() && isConsonant(w[p - 1]);
}

// Where the stress scan stands, reading the word from its end.
enum class StressScan {
    WordEnd,        // nothing read yet
    EndsInLNRXZ,    // the word ends in l, n, r, x or z
    EndsInM,        // the word ends in m
    EndsInIU,       // the ending's vowel is i or u
    EndsInS,        // the word ends in s
    SeekVowel,      // the ending's vowel is read: look for the one before it
    MarkPrevious,   // mark the character read one step before
    MarkTwoBack,    // mark the character read two steps before
    IUBeforeEnding, // an i or u stands before the ending
};

// The state after examining position p (1-based) in `scan`.
StressScan stressStep(const std::string &w, size_t p, StressScan scan) {
    using enum StressScan;
    const char c = w[p - 1];
    const auto is = [&](std::initializer_list<char> letters) { return isLower(w, p, letters); };
    switch (scan) {
    case WordEnd:
        if (is({'a', 'e', 'o'}))
            return SeekVowel;
        if (is({'i', 'u'}))
            return EndsInIU;
        if (is({'l', 'n', 'r', 'x', 'z'}))
            return EndsInLNRXZ;
        if (c == 'm')
            return EndsInM;
        return c == 's' ? EndsInS : WordEnd;
    case EndsInLNRXZ:
        return isVowel(c) ? MarkPrevious : EndsInLNRXZ;
    case EndsInM:
        if (is({'a', 'e'}))
            return SeekVowel;
        if (is({'i', 'u'}))
            return EndsInIU;
        return c == 'o' ? MarkPrevious : EndsInM;
    case EndsInIU:
        if (isConsonant(c) || (isLower(w, p - 1, {'u'}) && isLower(w, p - 2, {'g', 'q'})))
            return MarkTwoBack;
        return MarkPrevious;
    case EndsInS:
        if (is({'a', 'e', 'o'}))
            return SeekVowel;
        return is({'i', 'u'}) ? EndsInIU : EndsInS;
    case SeekVowel:
        if (is({'a', 'e', 'o'}))
            return MarkPrevious;
        return is({'i', 'u'}) ? IUBeforeEnding : SeekVowel;
    case IUBeforeEnding: {
        if (isConsonant(c) || (c == 'u' && isLower(w, p - 1, {'g', 'q'})))
            return MarkTwoBack;
        const bool closing = (isLower(w, p + 2, {'n'}) && isLower(w, p + 3, {'h'})) ||
                             (isLower(w, p + 2, {'r'}) && isLower(w, p + 3, {'r'})) ||
                             (consonantAt(w, p + 3) && !isLower(w, p + 3, {'h'}));
        return isLower(w, p + 2, {'l', 'm', 'n', 'r', 'z'}) && closing ? MarkTwoBack : MarkPrevious;
    }
    default:
        return scan;
    }
}

} // namespace

std::string accentTable(uint8_t code) {
    static const std::array<const char *, 128> table = buildAccentTable();
    return code < 128 ? std::string() : std::string(table[code - 128]);
}

std::string normalizeText(const std::string &text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // The character before is the one already written; the one after is still the input's.
        const bool letterBefore = !out.empty() && isAsciiLetter(out.back());
        const bool letterAfter = i + 1 < text.size() && isAsciiLetter(text[i + 1]);
        const auto code = static_cast<uint8_t>(c);
        std::string yield;
        if ((c == 'W' || c == 'w') && (letterBefore || letterAfter))
            yield = "u";
        else if ((c == 'Y' || c == 'y') && (letterBefore || letterAfter))
            yield = "i";
        else if (c == '\'' && !out.empty() && lower(out.back()) == 'd')
            continue;
        else if (code < 32)
            yield.clear();
        else if (code >= 128)
            yield = accentTable(code);
        else
            yield = std::string(1, c);
        out += yield.empty() ? std::string(" \x01 ") : yield;
    }
    return out;
}

bool nextWord(const std::string &text, size_t &position, Word &word) {
    while (position < text.size() && text[position] == ' ')
        ++position;
    if (position >= text.size())
        return false;
    word = Word();
    const char first = lower(text[position]);
    if (!isAsciiLetter(first)) {
        word.letters = std::string(1, first);
        ++position;
        return true;
    }
    while (position < text.size() && isLetterOrMark(text[position]) &&
           word.letters.size() < MaxWordLength) {
        const char c = lower(text[position]);
        if (isAccentMark(c) && c != '"')
            word.explicitAccent = true;
        if (isVowel(c))
            ++word.vowelCount;
        word.letters += c;
        ++position;
    }
    return true;
}

void applyExceptions(Word &word) {
    word.letters = cut(state.exceptions.lookup(word.letters), MaxWordLength);
}

void markStress(Word &word) {
    std::string &w = word.letters;
    if (word.explicitAccent || word.vowelCount == 0)
        return;
    if (word.vowelCount == 1 && (w.empty() || w.back() != 'l'))
        return;
    // A respelling that marks its own stress keeps it.
    if (std::any_of(w.begin(), w.end(), [](char c) { return isVowel(c) && upper(c) == c; }))
        return;
    // A marking state takes effect at the next step, so a decision made at
    // the word's first character is never applied.
    StressScan scan = StressScan::WordEnd;
    for (size_t p = w.size(); p >= 1; --p) {
        if (scan == StressScan::MarkPrevious || scan == StressScan::MarkTwoBack) {
            const size_t mark = p + (scan == StressScan::MarkPrevious ? 1 : 2);
            w[mark - 1] = upper(w[mark - 1]);
            return;
        }
        scan = stressStep(w, p, scan);
    }
}

bool isSpelledWord(const Word &word) {
    const std::string &w = word.letters;
    if (w.empty())
        return false;
    if (w[0] == UnknownMarker)
        return true;
    return std::all_of(w.begin(), w.end(), [](char c) { return isConsonant(c) || isPauseChar(c); });
}

std::string spellWord(const Word &word) {
    std::string out;
    for (const char c : word.letters)
        out += std::string("[ /_") + c + "]";
    return out;
}

std::string applyRules(const Word &word) {
    const std::string &w = word.letters;
    const size_t n = w.size();
    std::string out = "[";
    size_t q = 1;
    while (q <= n) {
        std::string unit = std::string(" /_") + upper(w[q - 1]);
        size_t advance = 1;
        if (const rule_matcher::Rule *rule = state.rules.match(rule_matcher::rgr::language, w, q)) {
            unit = rule->output;
            advance = rule->centre.size();
        }
        const char at = w[q - 1];
        if (isVowel(at) && upper(at) == at) {
            const auto vowel = std::find_if(unit.begin(), unit.end(), isVowel);
            if (vowel != unit.end())
                *vowel = upper(*vowel);
        }
        out += unit;
        q += advance;
        if (q <= n)
            out += '/';
    }
    return out + "]";
}

namespace {

void readRules(rule_lines::LineReader &reader, const data_report::Sink &report) {
    freeRules();
    state.exceptions.clear();
    std::string line;
    const rule_lines::RuleLimits limits{RuleLeftLength, RuleCentreLength, RuleRightLength,
                                        RuleOutputLength};
    rule_lines::RuleText rule;
    while (reader.next(line)) {
        if (report) {
            const auto say = [&](const std::string &what) { report(reader.lineNumber(), what); };
            if (reader.lastLineCut())
                say(rule_lines::lineCutText(MaxLineLength));
            rule_lines::describeRuleLine(
                line, limits, [](char c) { return state.rules.holds(c); }, say);
        }
        if (rule_lines::parseRuleLine(line, limits, rule))
            state.rules.add(rule);
    }
}

} // namespace

bool loadRules(const std::string &path, const data_report::Sink &report) {
    platform::File file;
    if (!file.open(path, "rb")) {
        freeRules();
        state.exceptions.clear();
        return false;
    }
    rule_lines::LineReader reader(file, MaxLineLength);
    readRules(reader, report);
    return true;
}

void loadRulesText(std::string_view text) {
    rule_lines::LineReader reader(text, MaxLineLength);
    readRules(reader, {});
}

const exception_table::Dialect &exceptionDialect() {
    static const exception_table::Dialect dialect{MaxExceptions, MaxLineLength, nullptr, true};
    return dialect;
}

bool loadExceptions(const std::string &path, const data_report::Sink &report) {
    return state.exceptions.load(path, exceptionDialect(), report);
}

void freeRules() {
    state.rules.clear();
}

size_t ruleCount() {
    return state.rules.size();
}

size_t exceptionCount() {
    return state.exceptions.size();
}

std::vector<std::string> ruleOutputs() {
    return state.rules.outputs();
}

std::string translateText(const std::string &text) {
    const std::string normal = normalizeText(text);
    std::string out;
    size_t position = 0;
    Word word;
    while (nextWord(normal, position, word)) {
        applyExceptions(word);
        markStress(word);
        out += isSpelledWord(word) ? spellWord(word) : applyRules(word);
    }
    return out;
}

} // namespace diphone::translator
