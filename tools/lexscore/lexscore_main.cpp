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
#include "tools/lexscore/phone_map.h"
#include "tradutor/diphone/translator.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using Phones = std::vector<std::string>;
using Pair = std::pair<std::string, std::string>;

std::string join(const Phones &phones) {
    std::string text;
    for (const std::string &phone : phones)
        text += (text.empty() ? "" : " ") + phone;
    return text;
}

// The substitutions, insertions and deletions of a least-cost alignment.
std::vector<Pair> differences(const Phones &ref, const Phones &ours) {
    const size_t n = ref.size();
    const size_t m = ours.size();
    std::vector<std::vector<size_t>> cost(n + 1, std::vector<size_t>(m + 1, 0));
    for (size_t i = 0; i <= n; ++i)
        cost[i][0] = i;
    for (size_t j = 0; j <= m; ++j)
        cost[0][j] = j;
    for (size_t i = 1; i <= n; ++i)
        for (size_t j = 1; j <= m; ++j)
            cost[i][j] = std::min({cost[i - 1][j] + 1, cost[i][j - 1] + 1,
                                   cost[i - 1][j - 1] + (ref[i - 1] == ours[j - 1] ? 0 : 1)});
    std::vector<Pair> pairs;
    size_t i = n;
    size_t j = m;
    while (i > 0 || j > 0) {
        if (i > 0 && j > 0 &&
            cost[i][j] == cost[i - 1][j - 1] + (ref[i - 1] == ours[j - 1] ? 0 : 1)) {
            if (ref[i - 1] != ours[j - 1])
                pairs.emplace_back(ref[i - 1], ours[j - 1]);
            --i;
            --j;
        } else if (i > 0 && cost[i][j] == cost[i - 1][j] + 1) {
            pairs.emplace_back(ref[i - 1], "-");
            --i;
        } else {
            pairs.emplace_back("-", ours[j - 1]);
            --j;
        }
    }
    return pairs;
}

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
    size_t words = 0;
    size_t agreeing = 0;
    std::map<Pair, size_t> counts;
    std::string line;
    while (std::getline(lexicon, line)) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string word = line.substr(0, tab);
        const Phones ref = lexscore::splitPhones(line.substr(tab + 1));
        const std::string phonemes = tr::translateText(platform::utf8ToCp1252(word));
        const Phones ours = lexscore::unitsToPhones(phonemes);
        ++words;
        if (ours == ref) {
            ++agreeing;
            continue;
        }
        for (const Pair &pair : differences(ref, ours))
            ++counts[pair];
        if (show > 0) {
            --show;
            std::printf("%s\t%s\t%s\t%s\n", word.c_str(), join(ref).c_str(), join(ours).c_str(),
                        platform::cp1252ToUtf8(phonemes).c_str());
        }
    }
    if (words == 0) {
        std::fprintf(stderr, "lexscore: no words in %s\n", args[2].c_str());
        return 1;
    }
    std::printf("%zu of %zu words agree: %.1f%%\n", agreeing, words,
                100.0 * static_cast<double>(agreeing) / static_cast<double>(words));
    std::vector<std::pair<Pair, size_t>> ranked(counts.begin(), counts.end());
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto &a, const auto &b) { return a.second > b.second; });
    std::printf("most frequent disagreements (reference -> ours):\n");
    for (size_t k = 0; k < ranked.size() && k < 20; ++k)
        std::printf("%6zu  %s -> %s\n", ranked[k].second, ranked[k].first.first.c_str(),
                    ranked[k].first.second.c_str());
    return 0;
}
