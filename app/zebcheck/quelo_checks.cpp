// The built-in engine's files: rules portug.nrl, respellings portug.exc,
// abbreviations portug.abr, prosody portug.pro, the diphone list portug.dfn,
// and the synthesizer's voice, with the phonemes and diphones the rules make
// that the voice lacks.
#include "app/zebcheck/checks.h"

#include "mbrsynth/voice_db.h"
#include "platform/cp1252_literal.h"
#include "platform/file.h"
#include "tradutor/exception_table.h"
#include "tradutor/quelo/data_file.h"
#include "tradutor/quelo/letters.h"
#include "tradutor/quelo/normalise.h"
#include "tradutor/quelo/prosody.h"
#include "tradutor/quelo/rules.h"
#include "tradutor/rule_languages.h"

#include <filesystem>
#include <map>
#include <optional>
#include <span>

using namespace platform::literals;

namespace zebcheck {
namespace {

namespace fs = std::filesystem;

constexpr char CommentMark = ';';
constexpr char OutputSeparator = '&';
constexpr char DiaeresisMark = '\250';
constexpr char StressMark = '>'; // an output's own stress, before a phoneme
constexpr size_t MaxVoiceBytes = size_t{1} << 30;
constexpr const char *ProsodyHeaders[] = {"[DURAÇÃO]"_cp1252, "[CHAVES]", "[PROSÓDIA]"_cp1252};

struct Voice {
    std::string name;
    std::set<std::string> phonemes;
    std::set<std::string> diphones; // "first-second"
};

std::optional<Voice> readVoice(const std::string &path, Findings &findings) {
    std::string bytes;
    if (!platform::readWholeFile(path, bytes, MaxVoiceBytes)) {
        findings.add(path, 0, "cannot be read: the built-in engine does not start");
        return std::nullopt;
    }
    std::string error;
    const auto data = mbrsynth::decodeVoice(
        std::span(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size()), error);
    if (!data) {
        findings.add(path, 0, "refused by the synthesizer: " + error);
        return std::nullopt;
    }
    Voice voice{fs::path(path).filename().string(), {}, {}};
    voice.phonemes.insert(data->phonemes.begin(), data->phonemes.end());
    for (const mbrsynth::Diphone &diphone : data->diphones)
        voice.diphones.insert(data->phonemes[diphone.first] + "-" + data->phonemes[diphone.second]);
    return voice;
}

// The phoneme names of a rule's output, as the engine uses it.
std::vector<std::string> outputPhonemes(const std::string &output) {
    std::vector<std::string> names;
    std::string name;
    for (const char c : output.substr(0, quelo::UsedRuleOutput)) {
        if (c == OutputSeparator) {
            if (!name.empty())
                names.push_back(name);
            name.clear();
        } else if (c != DiaeresisMark && c != StressMark) {
            name += c;
        }
    }
    if (!name.empty())
        names.push_back(name);
    return names;
}

void checkRules(const std::string &path, const std::optional<Voice> &voice, bool withProsody,
                bool withDiphones, Findings &findings) {
    if (!quelo::loadNrlRules(quelo::DataText::file(path).reportTo(findings.sinkFor(path)))) {
        findings.add(path, 0, "cannot be read: the built-in engine does not start");
        return;
    }
    if (quelo::nrlRuleCount() == 0)
        findings.add(path, 0, "no rules: the built-in engine says nothing");
    quelo::freeNrlRules();
    const rule_lines::RuleLimits limits{quelo::MaxRuleLeft, quelo::MaxRuleCentre,
                                        quelo::MaxRuleRight, quelo::MaxRuleOutput};
    std::set<std::string> told;
    ShadowCheck shadows;
    size_t number = 0;
    quelo::DataText::file(path).forEachLine(std::string::npos, [&](const std::string &text) {
        ++number;
        rule_lines::RuleText rule;
        if ((!text.empty() && text[0] == CommentMark) ||
            !rule_lines::parseRuleLine(text, limits, rule) || rule.centre.empty() ||
            static_cast<uint8_t>(rule.centre[0]) < quelo::FirstBucketCode)
            return;
        const auto say = [&](const std::string &what) { findings.add(path, number, what); };
        checkRulePatterns(
            rule, rule_matcher::nrl::language, [](char c) { return quelo::upperLetter(c) != c; },
            say);
        shadows.add(number, rule, say);
        if (rule.output.size() > quelo::UsedRuleOutput)
            say("output " + data_report::quoted(rule.output) + " is longer than " +
                std::to_string(quelo::UsedRuleOutput) + " characters: only " +
                data_report::quoted(rule.output.substr(0, quelo::UsedRuleOutput)) + " is used");
        const std::vector<std::string> names = outputPhonemes(rule.output);
        for (size_t i = 0; i < names.size(); ++i) {
            const std::string &name = names[i];
            if (voice && !voice->phonemes.contains(name) && told.insert(name).second)
                say("phoneme " + name + " is not in the voice " + voice->name);
            if (withProsody && !quelo::hasDuration(name) && told.insert("duration " + name).second)
                say("phoneme " + name + " has no duration in the prosody file: it lasts 100 ms");
            if (i == 0)
                continue;
            const std::string diphone = names[i - 1] + "-" + name;
            if (voice && !voice->diphones.contains(diphone) && told.insert(diphone).second)
                say("diphone " + diphone + " is not in the voice " + voice->name);
            if (withDiphones && !quelo::hasDiphone(names[i - 1], name) &&
                told.insert("list " + diphone).second)
                say("diphone " + diphone +
                    " is not in the diphone list: a transition is put "
                    "between its phonemes");
        }
    });
}

void checkExceptions(const std::string &path, Findings &findings) {
    if (!quelo::loadNrlExceptions(path, findings.sinkFor(path))) {
        findings.add(path, 0, "cannot be read: the built-in engine does not start");
        return;
    }
    exception_table::readEntries(
        path, quelo::nrlExceptionDialect(),
        [&](size_t line, const std::string &key, const std::string &) {
            // A word written with a hyphen (e-mail) is looked up whole.
            const auto inWord = [](char c) { return quelo::isLetter(c) || c == '-'; };
            if (!key.empty() && !std::all_of(key.begin(), key.end(), inWord))
                findings.add(path, line,
                             data_report::quoted(key) +
                                 " is never found: a word holds letters and hyphens only");
        });
}

void checkAbbreviations(const std::string &path, Findings &findings) {
    const quelo::DataText file = quelo::DataText::file(path).reportTo(findings.sinkFor(path));
    if (!quelo::loadAbbreviations(file)) {
        findings.add(path, 0, "cannot be read: the built-in engine does not start");
        return;
    }
    std::map<std::string, size_t> firstLines;
    size_t number = 0;
    quelo::DataText::file(path).forEachLine(
        quelo::MaxAbbreviationLineLength, [&](const std::string &text) {
            ++number;
            const std::string entry = quelo::trimmed(text);
            const size_t equals = entry.find('=');
            if (entry.empty() || entry[0] == ';' || equals == std::string::npos)
                return;
            const std::string key = quelo::upperCased(quelo::trimmed(entry.substr(0, equals)));
            const auto say = [&](const std::string &what) { findings.add(path, number, what); };
            if (const auto [first, isNew] = firstLines.emplace(key, number); !isNew)
                say(data_report::quoted(key) + " is already on line " +
                    std::to_string(first->second) + ": this line is never used");
            if (key.empty() || !std::all_of(key.begin(), key.end(),
                                            [](char c) { return quelo::isLetter(c) || c == '-'; }))
                say(data_report::quoted(key) +
                    " is never expanded: a word holds letters and hyphens only");
        });
}

void checkProsody(const std::string &path, Findings &findings) {
    if (!quelo::DataText::file(path).exists()) {
        findings.add(path, 0, "cannot be read: the built-in engine does not start");
        return;
    }
    quelo::loadProsody(quelo::DataText::file(path).reportTo(findings.sinkFor(path)));
    // Lines no section reads.
    enum class Place { Before, Known, Unknown } place = Place::Before;
    size_t number = 0;
    quelo::DataText::file(path).forEachLine(std::string::npos, [&](const std::string &text) {
        ++number;
        const std::string line = quelo::trimmed(text);
        if (!text.empty() && text[0] == '[') {
            const bool known = std::any_of(std::begin(ProsodyHeaders), std::end(ProsodyHeaders),
                                           [&](const char *header) { return line == header; });
            place = known ? Place::Known : Place::Unknown;
            if (!known)
                findings.add(path, number, "unknown section " + line + ": its lines are ignored");
            return;
        }
        if (place == Place::Before && !line.empty() && text[0] != ';' && text[0] != '*')
            findings.add(path, number, "outside any section: ignored");
    });
}

void checkDiphoneList(const std::string &path, const std::optional<Voice> &voice,
                      Findings &findings) {
    if (!quelo::loadDiphoneList(quelo::DataText::file(path).reportTo(findings.sinkFor(path)))) {
        findings.add(path, 0, "cannot be read: the built-in engine does not start");
        return;
    }
    if (!voice)
        return;
    size_t number = 0;
    quelo::DataText::file(path).forEachLine(std::string::npos, [&](const std::string &text) {
        ++number;
        const std::string line = quelo::trimmed(text);
        if (line.empty() || line[0] == '!' || line[0] == '*' || line[0] == ';')
            return;
        const std::string diphone = quelo::diphoneOfListLine(line);
        if (!voice->diphones.contains(diphone))
            findings.add(path, number,
                         "diphone " + diphone + " is not in the voice " + voice->name +
                             ": the engine asks the synthesizer for it");
    });
}

bool given(const std::string &path) {
    return !path.empty();
}

} // namespace

void checkQuelo(const QueloFiles &files, Findings &findings) {
    std::optional<Voice> voice;
    if (given(files.voice))
        voice = readVoice(files.voice, findings);
    if (given(files.prosody))
        checkProsody(files.prosody, findings);
    if (given(files.diphones))
        checkDiphoneList(files.diphones, voice, findings);
    if (given(files.rules))
        checkRules(files.rules, voice, given(files.prosody), given(files.diphones), findings);
    if (given(files.exceptions))
        checkExceptions(files.exceptions, findings);
    if (given(files.abbreviations))
        checkAbbreviations(files.abbreviations, findings);
}

} // namespace zebcheck
