// The native voice's files: the rules regras.rgr, the respellings
// portug.exc, the index (.IND) against its samples (.DIF), and the units the
// rules make that the voice lacks.
#include "app/zebcheck/checks.h"

#include "game/word_list.h"
#include "tools/voicebuild/unit_names.h"
#include "tradutor/diphone/synthesizer_voice.h"
#include "tradutor/diphone/translator.h"
#include "tradutor/exception_table.h"
#include "tradutor/rule_languages.h"
#include "tradutor/rule_lines.h"

#include <filesystem>
#include <functional>
#include <map>
#include <system_error>

namespace zebcheck {
namespace {

namespace fs = std::filesystem;
namespace translator = diphone::translator;
namespace voice = diphone::synth::voice;

constexpr rule_lines::RuleLimits NativeLimits{
    translator::RuleLeftLength, translator::RuleCentreLength, translator::RuleRightLength,
    translator::RuleOutputLength};

bool hasNativeChain(char c) {
    const auto code = static_cast<uint8_t>(c);
    return code >= translator::FirstChainCode &&
           code < translator::FirstChainCode + translator::ChainCount;
}

// Every line of the rule file that makes a rule, as the translator reads it.
void forEachRule(const std::string &path,
                 const std::function<void(size_t, const rule_lines::RuleText &)> &onRule) {
    platform::File file;
    if (!file.open(path, "rb"))
        return;
    rule_lines::LineReader reader(file, translator::MaxLineLength);
    rule_lines::RuleText text;
    for (std::string line; reader.next(line);)
        if (rule_lines::parseRuleLine(line, NativeLimits, text) && !text.centre.empty() &&
            hasNativeChain(text.centre[0]))
            onRule(reader.lineNumber(), text);
}

std::string fileName(const std::string &path) {
    return fs::path(path).filename().string();
}

} // namespace

void checkNativeRules(const std::string &path, Findings &findings) {
    if (!translator::loadRules(path, findings.sinkFor(path))) {
        findings.add(path, 0, "cannot be read: the native voice does not start");
        return;
    }
    if (translator::ruleCount() == 0)
        findings.add(path, 0, "no rules: every letter is spoken by its letter recording");
    translator::freeRules();
    ShadowCheck shadows;
    forEachRule(path, [&](size_t line, const rule_lines::RuleText &rule) {
        const auto say = [&](const std::string &what) { findings.add(path, line, what); };
        checkRulePatterns(
            rule, rule_matcher::rgr::language, [](char c) { return c >= 'a' && c <= 'z'; }, say);
        shadows.add(line, rule, say);
    });
}

void checkNativeExceptions(const std::string &path, Findings &findings) {
    if (!translator::loadExceptions(path, findings.sinkFor(path))) {
        findings.add(path, 0, "cannot be read: the native voice does not start");
        return;
    }
    // A word is found only in the form the translator reads it in.
    exception_table::readEntries(
        path, translator::exceptionDialect(),
        [&](size_t line, const std::string &word, const std::string &) {
            if (word.empty() || word.find('|') != std::string::npos)
                return;
            translator::Word read;
            size_t position = 0;
            if (!translator::nextWord(word, position, read) || read.letters != word ||
                position != word.size())
                findings.add(path, line,
                             data_report::quoted(word) +
                                 " is never found: words are looked up as lower-case letters "
                                 "and accent marks");
        });
}

std::set<std::string> checkNativeIndex(const std::string &stem, Findings &findings) {
    const std::string index = stem + ".IND", samples = stem + ".DIF";
    std::vector<voice::IndexRecord> records;
    size_t remainder = 0;
    if (!voice::readIndexRecords(index, records, remainder)) {
        findings.add(index, 0, "cannot be read: the native voice does not start");
        return {};
    }
    std::error_code error;
    const uintmax_t sampleBytes = fs::file_size(samples, error);
    if (error)
        findings.add(samples, 0, "cannot be read: the native voice does not start");
    if (remainder != 0)
        findings.add(index, 0,
                     std::to_string(remainder) + " bytes after the last whole record are ignored");
    if (records.empty())
        findings.add(index, 0, "no units: every unit is noise or silence");
    std::set<std::string> names;
    std::map<std::string, size_t> firstRecord;
    for (size_t i = 0; i < records.size(); ++i) {
        const voice::IndexRecord &record = records[i];
        const size_t number = i + 1;
        const auto say = [&](const std::string &what) {
            findings.add(index, number, data_report::quoted(record.name) + ": " + what);
        };
        if (record.storedLength > record.name.size())
            say("name length " + std::to_string(record.storedLength) +
                " is more than 8: the name is read cut");
        if (record.name.empty() || record.name[0] != '$')
            say("does not begin with \"$\": the synthesizer never asks for it");
        if (std::any_of(record.name.begin(), record.name.end(),
                        [](char c) { return c >= 'a' && c <= 'z'; }))
            say("lower-case letters: never found (names are looked up in upper case)");
        if (i > 0 && record.name < records[i - 1].name)
            say("out of order after " + data_report::quoted(records[i - 1].name) +
                ": the bisection can miss it and others");
        if (const auto [first, isNew] = firstRecord.emplace(record.name, number); !isNew)
            say("already record " + std::to_string(first->second));
        if (!error && (record.offset < 0 ||
                       static_cast<uintmax_t>(record.offset) + record.length > sampleBytes))
            say("its samples lie outside " + fileName(samples) + " (" +
                std::to_string(sampleBytes) + " bytes): they are heard as silence");
        names.insert(record.name);
    }
    return names;
}

void checkNativeUnits(const NativeUnitSources &sources, const std::string &voiceStem,
                      const std::set<std::string> &voiceNames, Findings &findings) {
    std::set<std::string> seen; // each unit is told once, where it is met first
    const std::string index = fileName(voiceStem + ".IND");
    const auto checkPhonemes = [&](const std::string &phonemes, const std::string &file,
                                   size_t line, const std::string &from) {
        for (const std::string &name : voicebuild::lookupNames(phonemes)) {
            const std::string upper = voicebuild::upperAscii(name);
            if (!seen.insert(upper).second)
                continue;
            const voicebuild::Resolution resolution = voicebuild::resolve(name, voiceNames);
            if (resolution.noise || resolution.silent)
                findings.add(file, line,
                             "unit " + upper + " (" + from + ") is not in " + index +
                                 (resolution.silent ? ": nothing is heard" : ": heard as noise"));
        }
    };
    // Every output alone and joined with another, told at its rule (the
    // later one of two joined).
    std::map<std::string, size_t> outputLines; // the first line of each output
    forEachRule(sources.rules, [&](size_t line, const rule_lines::RuleText &rule) {
        outputLines.emplace(rule.output, line);
    });
    for (const auto &[output, line] : outputLines)
        checkPhonemes("[" + output + "]", sources.rules, line,
                      "output " + data_report::quoted(output));
    for (const auto &[first, firstLine] : outputLines)
        for (const auto &[second, secondLine] : outputLines)
            checkPhonemes(
                "[" + first + "/" + second + "]", sources.rules, std::max(firstLine, secondLine),
                "output " + data_report::quoted(second) + " after " + data_report::quoted(first));
    // The respelled words and the game's words, as the translator says them.
    if (!translator::loadRules(sources.rules))
        return;
    translator::loadExceptions(sources.exceptions);
    exception_table::readEntries(sources.exceptions, translator::exceptionDialect(),
                                 [&](size_t line, const std::string &word, const std::string &) {
                                     checkPhonemes(translator::translateText(word),
                                                   sources.exceptions, line,
                                                   "in " + data_report::quoted(word));
                                 });
    game::WordTable words;
    if (game::readWordList(sources.wordList, words) == game::WordListResult::Loaded)
        for (int32_t i = 0; i < words.count; ++i) {
            const std::string &word = words.words[static_cast<size_t>(i)];
            checkPhonemes(translator::translateText(word), sources.wordList,
                          static_cast<size_t>(i) + 1, "in " + data_report::quoted(word));
        }
    translator::freeRules();
}

} // namespace zebcheck
