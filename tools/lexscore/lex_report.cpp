#include "tools/lexscore/lex_report.h"

#include <algorithm>

namespace lexscore {

std::string join(const Phones &phones) {
    std::string text;
    for (const std::string &phone : phones)
        text += (text.empty() ? "" : " ") + phone;
    return text;
}

std::vector<PhonePair> differences(const Phones &ref, const Phones &ours) {
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
    std::vector<PhonePair> pairs;
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

bool Tally::add(const Phones &ref, const Phones &ours) {
    ++words_;
    if (ours == ref) {
        ++agreeing_;
        return true;
    }
    for (const PhonePair &pair : differences(ref, ours))
        ++counts_[pair];
    return false;
}

void Tally::printShare(std::FILE *out, const std::string &label) const {
    std::fprintf(
        out, "%s%zu of %zu words agree: %.1f%%\n", label.c_str(), agreeing_, words_,
        words_ == 0 ? 0.0 : 100.0 * static_cast<double>(agreeing_) / static_cast<double>(words_));
}

void Tally::printDisagreements(std::FILE *out, size_t count) const {
    std::vector<std::pair<PhonePair, size_t>> ranked(counts_.begin(), counts_.end());
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto &a, const auto &b) { return a.second > b.second; });
    std::fprintf(out, "most frequent disagreements (reference -> ours):\n");
    for (size_t k = 0; k < ranked.size() && k < count; ++k)
        std::fprintf(out, "%6zu  %s -> %s\n", ranked[k].second, ranked[k].first.first.c_str(),
                     ranked[k].first.second.c_str());
}

} // namespace lexscore
