// The data checker: every data file of the game and of both voices read the
// way the programs read it, and every line they ignore, cut or misread told
// as "FILE:LINE: what is wrong", with every unit or diphone a rule can
// produce and the voice lacks.
#pragma once

#include "platform/data_report.h"
#include "tradutor/rule_lines.h"
#include "tradutor/rule_matcher.h"

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace zebcheck {

struct Finding {
    std::string file; // as named to the checker
    size_t line = 0;  // from 1; 0 for the file as a whole
    std::string what; // Windows-1252, as the data files are

    auto operator<=>(const Finding &) const = default;
};

// Collects findings once each (a loader that reads a file several times
// tells the same line several times), in file and line order.
class Findings {
public:
    void add(const std::string &file, size_t line, const std::string &what);
    // A sink that adds to the findings of `file`.
    data_report::Sink sinkFor(const std::string &file);
    const std::set<Finding> &all() const { return findings_; }
    bool empty() const { return findings_.empty(); }

private:
    std::set<Finding> findings_;
};

// The built-in engine's files and its synthesizer voice.
struct QueloFiles {
    std::string rules, exceptions, abbreviations, prosody, diphones, voice; // any may be empty
};

// The files of a data tree, where its ZEBUNA.INI has the programs look.
struct Tree {
    std::string configuration; // windows/ZEBUNA.INI
    std::string wordList;
    std::string nativeRules, nativeExceptions;
    std::vector<std::string> nativeVoices; // the stems DIFONES1..5 name
    bool gameVoiceUnnamed = false;         // DIFONES3, the game's, is not set
    QueloFiles quelo;
};

// Points the programs' lookups at the tree `root` (the drive root of their
// paths, its windows/ZEBUNA.INI) and reads where the files lie.
Tree treeAt(const std::string &root);

// Every check on a whole tree.
void checkTree(const Tree &tree, Findings &findings);
// The checks of one file, told by its name; false when its kind is unknown.
bool checkFile(const std::string &path, Findings &findings);

// The game's files.
void checkWordList(const std::string &path, Findings &findings);
void checkConfiguration(const std::string &path, Findings &findings);

// The native voice: rules, respellings, the index against its samples, and
// the units the rules make that the voice lacks.
void checkNativeRules(const std::string &path, Findings &findings);
void checkNativeExceptions(const std::string &path, Findings &findings);
// Returns the names the index holds (as looked up, upper case).
std::set<std::string> checkNativeIndex(const std::string &stem, Findings &findings);
// Where the native voice's units come from: every rule output alone and
// joined with another, the respelled words and the game's words.
struct NativeUnitSources {
    std::string rules, exceptions, wordList;
};
void checkNativeUnits(const NativeUnitSources &sources, const std::string &voiceStem,
                      const std::set<std::string> &voiceNames, Findings &findings);

// What both rule languages misread in a rule's patterns: a letter the word's
// upper-cased letters never equal (`isLower`), a context symbol on the side
// where `language` gives it no meaning.
void checkRulePatterns(const rule_lines::RuleText &rule, const rule_matcher::Language &language,
                       const std::function<bool(char)> &isLower,
                       const std::function<void(const std::string &)> &say);

// Rules that never apply: rules are tried in file order among those whose
// centre begins with the same character, and an earlier rule without
// contexts whose centre begins the later one's always matches first.
class ShadowCheck {
public:
    // Tells `say` when `rule` never applies; remembers it when it always
    // matches.
    void add(size_t line, const rule_lines::RuleText &rule,
             const std::function<void(const std::string &)> &say);

private:
    std::vector<std::pair<size_t, std::string>> unconditional_; // line, centre
};

void checkQuelo(const QueloFiles &files, Findings &findings);

} // namespace zebcheck
