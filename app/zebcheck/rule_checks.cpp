// What both rule languages misread alike: letters and context symbols a
// word never matches, and rules an earlier rule always comes before.
#include "app/zebcheck/checks.h"

#include "tradutor/rule_languages.h"

#include <span>

namespace zebcheck {
namespace {

// A symbol one side of the language gives no meaning to while the other
// does: there it is compared as the character itself, which no word holds.
void checkSide(std::span<const rule_matcher::SymbolMeaning> side,
               std::span<const rule_matcher::SymbolMeaning> other, const char *name,
               const std::string &pattern, const std::function<void(const std::string &)> &say) {
    for (const char c : pattern)
        if (!rule_matcher::meaningOf(side, c) && rule_matcher::meaningOf(other, c))
            say(std::string(1, c) + " means nothing in the " + name +
                ": compared as a character, it never matches");
}

} // namespace

// Letters of a rule are compared with the word's letters upper-cased; a
// symbol used on the side where it means nothing is a character no word
// holds.
void checkRulePatterns(const rule_lines::RuleText &rule, const rule_matcher::Language &language,
                       const std::function<bool(char)> &isLower,
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
    checkSide(language.left, language.right, "left context", rule.left, say);
    checkSide(language.right, language.left, "right context", rule.right, say);
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
