// voicewords: the phoneme strings the native voice must answer, made with
// the shipped letter-to-sound rules and respellings.
//
//   voicewords --rules regras.rgr --exceptions portug.exc --out FILE
//              [--words FILE]... [--lexicon FILE]... [--rule-pairs]
//
// Writes one "word<TAB>phonemes" line per word of each --words file
// (Windows-1252, one word per line) and each --lexicon file (UTF-8,
// "word<TAB>..." lines). --rule-pairs adds a line for every rule output alone
// and for every two outputs joined, the groups the rules can make in a word.
#include "platform/cp1252.h"
#include "tradutor/diphone/translator.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace translator = diphone::translator;

struct Options {
    std::string rules;
    std::string exceptions;
    std::string out;
    std::vector<std::string> wordFiles;
    std::vector<std::string> lexiconFiles;
    bool rulePairs = false;
};

bool parseOptions(int argc, char **argv, Options &options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view key = argv[i];
        if (key == "--rule-pairs") {
            options.rulePairs = true;
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        const std::string value = argv[++i];
        if (key == "--rules") {
            options.rules = value;
        } else if (key == "--exceptions") {
            options.exceptions = value;
        } else if (key == "--out") {
            options.out = value;
        } else if (key == "--words") {
            options.wordFiles.push_back(value);
        } else if (key == "--lexicon") {
            options.lexiconFiles.push_back(value);
        } else {
            return false;
        }
    }
    return !options.rules.empty() && !options.exceptions.empty() && !options.out.empty();
}

// The first field of every non-empty line, without a final CR.
bool readWords(const std::string &path, bool utf8, std::vector<std::string> &words) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        line = line.substr(0, line.find('\t'));
        if (!line.empty()) {
            words.push_back(utf8 ? platform::utf8ToCp1252(line) : line);
        }
    }
    return true;
}

int fail(const std::string &message) {
    std::fprintf(stderr, "voicewords: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: voicewords --rules FILE --exceptions FILE --out FILE "
                             "[--words FILE]... [--lexicon FILE]... [--rule-pairs]\n");
        return 2;
    }
    if (!translator::loadRules(options.rules)) {
        return fail("cannot read the rules " + options.rules);
    }
    if (!translator::loadExceptions(options.exceptions)) {
        return fail("cannot read the exceptions " + options.exceptions);
    }
    if (translator::ruleCount() == 0) {
        return fail(options.rules + " holds no rule");
    }
    std::vector<std::string> words;
    for (const auto &path : options.wordFiles) {
        if (!readWords(path, false, words)) {
            return fail("cannot read " + path);
        }
    }
    for (const auto &path : options.lexiconFiles) {
        if (!readWords(path, true, words)) {
            return fail("cannot read " + path);
        }
    }
    std::ostringstream out;
    for (const auto &word : words) {
        out << word << '\t' << translator::translateText(word) << '\n';
    }
    if (options.rulePairs) {
        const auto outputs = translator::ruleOutputs();
        for (const auto &first : outputs) {
            out << first << "\t[" << first << "]\n";
            for (const auto &second : outputs) {
                out << first << '+' << second << "\t[" << first << '/' << second << "]\n";
            }
        }
    }
    std::ofstream file(options.out, std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file) {
        return fail("cannot write " + options.out);
    }
    translator::freeRules();
    return 0;
}
