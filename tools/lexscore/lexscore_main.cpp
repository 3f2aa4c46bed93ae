// lexscore: measures the letter-to-sound rules against a reference lexicon.
//
//   lexscore [--show N] RULES EXCEPTIONS LEXICON
//
// LEXICON holds "word<TAB>phones" lines (UTF-8 words, phones separated by
// blanks). Every word is translated with the rules and exceptions, its units
// mapped onto the reference phones and compared phone for phone. Prints the
// share of words that agree, the 20 most frequent disagreements (reference
// phone against ours, "-" for a missing phone) and, with --show, the first N
// words that disagree.
#include "platform/cp1252.h"
#include "tools/lexscore/lex_report.h"
#include "tools/lexscore/phone_map.h"
#include "tradutor/diphone/translator.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

int usage() {
    std::fprintf(stderr, "usage: lexscore [--show N] RULES EXCEPTIONS LEXICON\n");
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    size_t show = 0;
    if (args.size() >= 2 && args[0] == "--show") {
        show = std::stoul(args[1]);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() != 3)
        return usage();
    namespace tr = diphone::translator;
    if (!tr::loadRules(args[0])) {
        std::fprintf(stderr, "lexscore: cannot read the rules %s\n", args[0].c_str());
        return 1;
    }
    if (!tr::loadExceptions(args[1])) {
        std::fprintf(stderr, "lexscore: cannot read the exceptions %s\n", args[1].c_str());
        return 1;
    }
    std::ifstream lexicon(args[2]);
    if (!lexicon) {
        std::fprintf(stderr, "lexscore: cannot read the lexicon %s\n", args[2].c_str());
        return 1;
    }
    lexscore::Tally tally;
    std::string line;
    while (std::getline(lexicon, line)) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string word = line.substr(0, tab);
        const lexscore::Phones ref = lexscore::splitPhones(line.substr(tab + 1));
        const std::string phonemes = tr::translateText(platform::utf8ToCp1252(word));
        const lexscore::Phones ours = lexscore::unitsToPhones(phonemes);
        if (!tally.add(ref, ours) && show > 0) {
            --show;
            std::printf("%s\t%s\t%s\t%s\n", word.c_str(), lexscore::join(ref).c_str(),
                        lexscore::join(ours).c_str(), platform::cp1252ToUtf8(phonemes).c_str());
        }
    }
    if (tally.words() == 0) {
        std::fprintf(stderr, "lexscore: no words in %s\n", args[2].c_str());
        return 1;
    }
    tally.printShare(stdout);
    tally.printDisagreements(stdout);
    return 0;
}
