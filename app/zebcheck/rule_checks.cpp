// What both rule languages misread alike: letters and context symbols a
// word never matches, and rules an earlier rule always comes before.
#include "app/zebcheck/checks.h"

#include <string_view>

namespace zebcheck {
namespace {

// Context symbols that mean something on one side only; on the other they
// are compared as the character itself, which no word holds.
constexpr std::string_view LeftOnlySymbols = "]_|";
constexpr std::string_view RightOnlySymbols = "&*+[\\";

} // namespace

// Letters of a rule are compared with the word's letters upper-cased; a
// symbol used on the side where it means nothing is a character no word
// holds. Shared with the built-in engine's rules, which read the same way.
void checkRulePatterns(const rule_lines::RuleText &rule, const std::function<bool(char)> &isLower,
                       const std::function<void(const std::string &)> &say) {
    const auto lowerIn = [&](const char *part, const std::string &text) {
        for (const char c : text)
            if (isLower(c)) {
                say(std::string("lower-case ") + c + " in the " + part +
                    " never matches: words are compared in upper case");
                return;
            }
    };
    lowerIn("left context", rule.left);
    lowerIn("centre", rule.centre);
    lowerIn("right context", rule.right);
    for (const char c : rule.left)
        if (RightOnlySymbols.find(c) != std::string_view::npos)
            say(std::string(1, c) +
                " means nothing in the left context: compared as a character, it never matches");
    for (const char c : rule.right)
        if (LeftOnlySymbols.find(c) != std::string_view::npos)
            say(std::string(1, c) +
                " means nothing in the right context: compared as a character, it never matches");
}

void ShadowCheck::add(size_t line, const rule_lines::RuleText &rule,
                      const std::function<void(const std::string &)> &say) {
    for (const auto &[earlier, centre] : unconditional_)
        if (rule.centre.starts_with(centre)) {
            say("never applies: the rule on line " + std::to_string(earlier) + ", (" + centre +
                ") without contexts, always matches first");
            return;
        }
    if (rule.left.empty() && rule.right.empty())
        unconditional_.emplace_back(line, rule.centre);
}

} // namespace zebcheck
