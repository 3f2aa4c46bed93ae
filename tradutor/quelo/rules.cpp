// Pronunciation rules and exceptions of the built-in engine:
// bucketed letter-to-sound rules with context classes, a sorted table of
// respellings with the S/M suffix retry, and the utterance pass that adds
// comment lines, pauses and the joins across words.
#include "tradutor/quelo/rules.h"

#include "platform/file.h"
#include "tradutor/exception_table.h"
#include "tradutor/quelo/letters.h"
#include "tradutor/quelo/stress.h"
#include "tradutor/rule_languages.h"
#include "tradutor/rule_lines.h"

#include <algorithm>

namespace quelo {
namespace {

// Everything the rules stage keeps between calls.
struct RulesState {
    // Rules by the first character of their centre (codes 32..255), in file
    // order: the first rule of a bucket that matches is used.
    rule_matcher::RuleBook rules{FirstBucketCode, BucketCount};
    exception_table::Table exceptions;
};

RulesState state;

// The comment mark of the rules file, and the mark the rule outputs may put
// before a phoneme (it ends the lengthening of a stressed word).
constexpr char CommentMark = ';';
constexpr char PhonemeSeparator = '&';
constexpr char StressMark = '>';
constexpr char DiaeresisMark = '\xa8'; // ¨
// No line of the rules file is cut: its fields are.
constexpr size_t UnlimitedLine = std::string::npos;

bool isOneOf(char c, const char *members) {
    for (const char *m = members; *m != '\0'; ++m)
        if (c == *m)
            return true;
    return false;
}

// ---- utterances ----

// The pause phoneme of a punctuation token's first character: "_" and the
// mark; a blank gives none (empty). False for any other character.
bool pauseOf(char c, std::string &pause) {
    if (c == ' ') {
        pause.clear();
        return true;
    }
    if (!isOneOf(c, "!(),.:;?"))
        return false;
    pause = std::string("_") + c;
    return true;
}

// A phoneme line whose first phoneme (a leading ¨ aside) begins with a vowel
// or a glide, unstressed.
bool beginsWithVowel(const std::string &line) {
    const size_t first = !line.empty() && line[0] == DiaeresisMark ? 1 : 0;
    return first < line.size() && isOneOf(line[first], "aeiouwy");
}

// r2 -> r and s2 -> z at the end of a word followed by a word that begins
// with a vowel. Line i is a token's comment, i - 2 the last phoneme of the
// word before it (i - 1 is that word's empty line), i + 1 the first line of
// the token's own output.
// The join for the comment line at `comment`: r2 -> r and s2 -> z two lines
// before it when the line after it begins with a vowel or a glide.
void joinAt(std::vector<std::string> &lines, size_t comment) {
    if (!beginsWithVowel(lines[comment + 1]))
        return;
    std::string &last = lines[comment - 2];
    if (last == "r2")
        last = "r";
    else if (last == "s2")
        last = "z";
}

} // namespace

// ---- loading ----

bool loadNrlRules(const std::string &path) {
    return loadNrlRules(DataText::file(path));
}

bool loadNrlRules(const DataText &file) {
    freeNrlRules();
    const rule_lines::RuleLimits limits{MaxRuleLeft, MaxRuleCentre, MaxRuleRight, MaxRuleOutput};
    const auto hasBucket = [](char c) { return state.rules.holds(c); };
    rule_lines::RuleText text;
    return file.forEachLine(UnlimitedLine, [&](const std::string &line) {
        if (!line.empty() && line[0] == CommentMark)
            return;
        if (file.reporting())
            rule_lines::describeRuleLine(line, limits, hasBucket,
                                         [&](const std::string &what) { file.report(what); });
        // An empty centre would never move the scan on: such lines (a blank
        // line among them) are left out, and so are centres no bucket holds.
        if (rule_lines::parseRuleLine(line, limits, text))
            state.rules.add(text);
    });
}

// Keys and replacements are upper-cased; a line that had no "=" of its own,
// or an empty key, is left out.
const exception_table::Dialect &nrlExceptionDialect() {
    static const exception_table::Dialect dialect{MaxNrlExceptions, MaxExceptionLineLength,
                                                  upperCased};
    return dialect;
}

bool loadNrlExceptions(const std::string &path, const data_report::Sink &report) {
    return state.exceptions.load(path, nrlExceptionDialect(), report);
}

void freeNrlRules() {
    state.rules.clear();
}

size_t nrlRuleCount() {
    return state.rules.size();
}

size_t nrlExceptionCount() {
    return state.exceptions.size();
}

// ---- words ----

std::string lookupException(const std::string &word) {
    return state.exceptions.lookup(word);
}

void applyNrlRules(const std::string &word, size_t stressPosition, std::vector<std::string> &list) {
    const std::string upper = upperCased(word);
    // A flag, not a stress position moved out of reach, says that the mark is
    // still to be written: that holds for words of any length.
    bool stressPending = stressPosition >= 1;
    std::string current;
    size_t p = 1;
    while (p <= upper.size()) {
        const rule_matcher::Rule *used = state.rules.match(rule_matcher::nrl::language, upper, p);
        if (used == nullptr) {
            ++p; // no rule: the letter is dropped
            continue;
        }
        const size_t usedLength = std::min(used->output.size(), UsedRuleOutput);
        for (size_t k = 0; k < usedLength; ++k) {
            if (stressPending && p >= stressPosition) {
                current += StressMark;
                stressPending = false;
            }
            if (used->output[k] == PhonemeSeparator) {
                list.push_back(current);
                current.clear();
            } else {
                current += used->output[k];
            }
        }
        if (usedLength > 0) {
            list.push_back(current);
            current.clear();
        }
        p += used->centre.size();
    }
    list.push_back(current);
}

void Phonetiser::add(const std::string &patternLine, std::vector<std::string> &out) {
    constexpr size_t PatternPrefix = 4; // three digits and "|"
    const size_t first = held_.size();
    held_.push_back(CommentMark + patternLine);
    const std::string token = patternLine.size() > PatternPrefix
                                  ? upperCased(patternLine.substr(PatternPrefix))
                                  : std::string();
    std::string pause;
    if (token.empty()) {
        held_.emplace_back("__");
        held_.emplace_back();
    } else if (pauseOf(token[0], pause)) {
        if (!pause.empty())
            held_.push_back(pause);
    } else {
        const std::string word = lookupException(token);
        const size_t stress = isUnstressedWord(word) ? 0 : findStress(word);
        applyNrlRules(word, stress, held_);
    }
    joinHeld(first);
    release(out, JoinReach);
}

void Phonetiser::finish(std::vector<std::string> &out) {
    const size_t first = held_.size();
    held_.emplace_back("__");
    joinHeld(first);
    release(out, 0);
    held_.clear();
    released_ = 0;
    nextScan_ = FirstJoinedLine;
}

// The joins of the comment lines from held line `first` on, scanning the
// lines in order: a comment line and the line after it are passed together.
// A comment needs the line after it, so the last line held before is looked
// at again; the very last line of the utterance is never joined.
void Phonetiser::joinHeld(size_t first) {
    for (size_t i = first > 0 ? first - 1 : 0; i + 1 < held_.size(); ++i) {
        const size_t line = released_ + i;
        if (line < nextScan_ || held_[i].empty() || held_[i][0] != CommentMark)
            continue;
        joinAt(held_, i);
        nextScan_ = line + 2;
    }
}

// Hands over every held line but the last `keep`, which a later join may
// still change.
void Phonetiser::release(std::vector<std::string> &out, size_t keep) {
    if (held_.size() <= keep)
        return;
    const size_t count = held_.size() - keep;
    out.insert(out.end(), std::make_move_iterator(held_.begin()),
               std::make_move_iterator(held_.begin() + static_cast<long>(count)));
    held_.erase(held_.begin(), held_.begin() + static_cast<long>(count));
    released_ += count;
}

std::vector<std::string> phonetise(const std::vector<std::string> &patternList) {
    std::vector<std::string> lines;
    Phonetiser phonetiser;
    for (const std::string &input : patternList)
        phonetiser.add(input, lines);
    phonetiser.finish(lines);
    return lines;
}

} // namespace quelo
