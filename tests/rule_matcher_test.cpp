// The rule engine shared by both rule languages: the examples its language
// tables are documented with, where the two languages part, and the rule
// book's buckets.
#include "tradutor/rule_languages.h"
#include "tradutor/rule_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using rule_matcher::Language;
using rule_matcher::Rule;
using rule_matcher::RuleBook;

const Language &rgr = rule_matcher::rgr::language;
const Language &nrl = rule_matcher::nrl::language;

// A rule written as in the files: left "(" centre ")" right "=" output.
Rule ruleOf(const std::string &line) {
    rule_lines::RuleText text;
    EXPECT_TRUE(rule_lines::parseRuleLine(line, {5, 5, 5, 20}, text)) << line;
    return {text.left, text.centre, text.right, text.output};
}

struct Case {
    const Language *language;
    const char *word;
    const char *rule;
    size_t position;
    bool matches;
};

TEST(RuleMatcher, ContextSymbolsReadAsTheirLanguageSays) {
    const std::vector<Case> cases = {
        // The examples of the tables' documentation, in both languages.
        {&rgr, "cantam", "(AN)[=", 2, true},
        {&nrl, "CANTAM", "(AN)[=", 2, true},
        {&rgr, "cantam", "(AM)%=", 5, true},
        {&rgr, "cantam", "_(C)=", 1, true},
        {&nrl, "CANTAM", "T(A)&=", 5, true},
        {&rgr, "cantam", "#(M)%=", 6, true},
        {&rgr, "saia", "(S)#%=", 1, true},
        {&nrl, "SAIA", "(S)#%=", 1, false},
        {&nrl, "SAIA", "(S)#I=", 1, true},
        {&rgr, "ma~o", "](O)=", 4, true},
        {&nrl, "M\xC3O", "](O)=", 3, false},
        {&nrl, "MAO", "](O)=", 3, true},
        // Looked at, not read past.
        {&rgr, "texto", "E(X)*T=", 3, true},
        {&rgr, "texlo", "E(X)*=", 3, false},
        {&nrl, "TEX\xC7O", "E(X)*=", 3, true},
        {&rgr, "lanha", "(AN)[=", 2, false},
        {&rgr, "lan", "(AN)[=", 2, true},
        // An optional s, a front vowel with its mark, the letters before.
        {&rgr, "casa", "(A)\\%=", 4, true},
        {&rgr, "casas", "(A)\\%=", 4, true},
        {&nrl, "CASAS", "(A)\\%=", 4, true},
        {&rgr, "ce'u", "(C)+U=", 1, true},
        {&nrl, "C\xC9U", "(C)+U=", 1, true},
        {&rgr, "honra", "|(R)=", 4, true},
        {&rgr, "arara", "_(R)=", 2, true},
        {&rgr, "honra", "_(R)=", 4, false},
        // A symbol of the other side is a character; letters in upper case.
        {&rgr, "a]", "(A)]=", 1, true},
        {&rgr, "ab", "(A)]=", 1, false},
        {&rgr, "ab", "(A)b=", 1, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(rule_matcher::matches(*c.language, ruleOf(c.rule), c.word, c.position), c.matches)
            << c.word << " " << c.rule << " at " << c.position;
}

TEST(RuleMatcher, BookFilesRulesByTheirCentresFirstCharacter) {
    RuleBook book(32, 64);
    EXPECT_TRUE(book.holds(' '));
    EXPECT_TRUE(book.holds('_'));
    EXPECT_FALSE(book.holds('a'));
    EXPECT_FALSE(book.holds('\x1f'));
    EXPECT_FALSE(book.add({"", "", "", "x"}));
    EXPECT_FALSE(book.add({"", "ab", "", "x"}));
    EXPECT_TRUE(book.add({"", "A", "%", "end"}));
    EXPECT_TRUE(book.add({"", "A", "", "any"}));
    EXPECT_TRUE(book.add({"", "B", "", "any"}));
    EXPECT_EQ(book.size(), 3U);
    EXPECT_EQ(book.outputs(), (std::vector<std::string>{"any", "end"}));

    const Rule *first = book.match(rgr, "aa", 1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->output, "any");
    const Rule *last = book.match(rgr, "aa", 2);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->output, "end");
    EXPECT_EQ(book.match(rgr, "c", 1), nullptr);
    EXPECT_EQ(book.match(rgr, "\xe9", 1), nullptr);

    book.clear();
    EXPECT_EQ(book.size(), 0U);
    EXPECT_EQ(book.match(rgr, "a", 1), nullptr);
}

} // namespace
