// quelo-lexscore: measures the built-in engine's pronunciation rules and
// respellings against a reference lexicon.
//
//   quelo-lexscore [--show N] [--no-exceptions] RULES EXCEPTIONS LEXICON
//
// LEXICON holds "word<TAB>phones" lines (UTF-8 words, phones separated by
// blanks), most frequent first. Every word goes through the exception
// lookup, the stress finder and the rules as the engine does it, its phoneme
// lines are mapped onto the reference phones and compared phone for phone.
// Prints the share of words that agree, on the whole list and on its more
// and less frequent halves, the 20 most frequent disagreements (reference
// phone against ours, "-" for a missing phone) and, with --show, the first N
// words that disagree. --no-exceptions measures the rules alone.
#include "platform/cp1252.h"
#include "tools/lexscore/lex_report.h"
#include "tools/lexscore/phone_map.h"
#include "tradutor/quelo/letters.h"
#include "tradutor/quelo/rules.h"
#include "tradutor/quelo/stress.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Entry {
    std::string word; // UTF-8
    lexscore::Phones ref;
};

int usage() {
    std::fprintf(stderr,
                 "usage: quelo-lexscore [--show N] [--no-exceptions] RULES EXCEPTIONS LEXICON\n");
    return 2;
}

// The phoneme lines of a word as the engine makes them.
std::vector<std::string> pronounce(const std::string &utf8) {
    const std::string word =
        quelo::lookupException(quelo::upperCased(platform::utf8ToCp1252(utf8)));
    const size_t stress = quelo::isUnstressedWord(word) ? 0 : quelo::findStress(word);
    std::vector<std::string> lines;
    quelo::applyNrlRules(word, stress, lines);
    return lines;
}

std::string joinLines(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &line : lines)
        if (!line.empty())
            text += (text.empty() ? "" : " ") + line;
    return platform::cp1252ToUtf8(text);
}

} // namespace

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    size_t show = 0;
    bool useExceptions = true;
    while (!args.empty() && args[0].rfind("--", 0) == 0) {
        if (args[0] == "--show" && args.size() >= 2) {
            show = std::stoul(args[1]);
            args.erase(args.begin(), args.begin() + 2);
        } else if (args[0] == "--no-exceptions") {
            useExceptions = false;
            args.erase(args.begin());
        } else {
            return usage();
        }
    }
    if (args.size() != 3)
        return usage();
    if (!quelo::loadNrlRules(args[0])) {
        std::fprintf(stderr, "quelo-lexscore: cannot read the rules %s\n", args[0].c_str());
        return 1;
    }
    if (useExceptions && !quelo::loadNrlExceptions(args[1])) {
        std::fprintf(stderr, "quelo-lexscore: cannot read the exceptions %s\n", args[1].c_str());
        return 1;
    }
    std::ifstream lexicon(args[2]);
    if (!lexicon) {
        std::fprintf(stderr, "quelo-lexscore: cannot read the lexicon %s\n", args[2].c_str());
        return 1;
    }
    std::vector<Entry> entries;
    std::string line;
    while (std::getline(lexicon, line)) {
        const size_t tab = line.find('\t');
        if (tab != std::string::npos)
            entries.push_back({line.substr(0, tab), lexscore::splitPhones(line.substr(tab + 1))});
    }
    if (entries.empty()) {
        std::fprintf(stderr, "quelo-lexscore: no words in %s\n", args[2].c_str());
        return 1;
    }
    lexscore::Tally all;
    lexscore::Tally halves[2];
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::vector<std::string> lines = pronounce(entries[i].word);
        const lexscore::Phones ours = lexscore::queloToPhones(lines);
        halves[i < (entries.size() + 1) / 2 ? 0 : 1].add(entries[i].ref, ours);
        if (!all.add(entries[i].ref, ours) && show > 0) {
            --show;
            std::printf("%s\t%s\t%s\t%s\n", entries[i].word.c_str(),
                        lexscore::join(entries[i].ref).c_str(), lexscore::join(ours).c_str(),
                        joinLines(lines).c_str());
        }
    }
    all.printShare(stdout);
    halves[0].printShare(stdout, "more frequent half: ");
    halves[1].printShare(stdout, "less frequent half: ");
    all.printDisagreements(stdout);
    return 0;
}
