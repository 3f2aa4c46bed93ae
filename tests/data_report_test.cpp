// The loaders' report sinks: each line a loader drops or cuts is told with
// its number, and a loader given a sink loads exactly what it loads without.
#include "tests/test_support.h"
#include "tradutor/diphone/translator.h"
#include "tradutor/quelo/rules.h"
#include "tradutor/rule_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Told = std::vector<std::pair<size_t, std::string>>;

data_report::Sink into(Told &told) {
    return [&told](size_t line, const std::string &what) { told.emplace_back(line, what); };
}

TEST(DataReport, LineReaderNumbersLinesAndNotesCuts) {
    const struct {
        std::string text;
        std::vector<bool> cut; // per line
    } cases[] = {
        {"abc\ndefgh\r\nij\rklmnop", {false, true, false, true}},
        {"\n\n", {false, false}},
        {"abcd", {false}},
        {"", {}},
    };
    for (const auto &c : cases) {
        rule_lines::LineReader reader(c.text, 4);
        std::vector<bool> cut;
        std::string line;
        while (reader.next(line)) {
            cut.push_back(reader.lastLineCut());
            EXPECT_EQ(reader.lineNumber(), cut.size()) << c.text;
            EXPECT_LE(line.size(), 4u);
        }
        EXPECT_EQ(cut, c.cut) << c.text;
    }
}

// Rules with every fault a rule line can have, and one good rule.
const std::string kRules = "semparenteses\r\n"      // 1: no "("
                           "()=a\r\n"               // 2: empty centre
                           "(~)=a\r\n"              // 3: no chain
                           "ABCDEF(B)=be|longo\r\n" // 4: left context cut
                           "(C)Ka\r\n"              // 5: no "="
                           "\r\n"                   // 6: blank, not told
                           "(A)=a\r\n";             // 7: good

TEST(DataReport, NativeRulesAreToldAndLoadTheSame) {
    namespace translator = diphone::translator;
    test_support::TempDir dir;
    test_support::writeFile(dir.file("regras.rgr"), kRules);
    ASSERT_TRUE(translator::loadRules(dir.file("regras.rgr")));
    const size_t count = translator::ruleCount();
    const std::string phonemes = translator::translateText("cab abcb");
    Told told;
    ASSERT_TRUE(translator::loadRules(dir.file("regras.rgr"), into(told)));
    EXPECT_EQ(translator::ruleCount(), count);
    EXPECT_EQ(translator::translateText("cab abcb"), phonemes);
    translator::freeRules();
    const Told expected = {
        {1, "no \"(\": not a rule, ignored"},
        {2, "empty centre: not a rule, ignored"},
        {3, "the centre begins with ~, which no rule chain holds: ignored"},
        {4, "left context \"ABCDEF\" is longer than 5 characters: cut to \"ABCDE\""},
        {5, "no \"=\": the rule has no output"},
    };
    EXPECT_EQ(told, expected);
}

TEST(DataReport, EngineRulesAreToldLikeTheNativeOnes) {
    Told told;
    ASSERT_TRUE(quelo::loadNrlRules(quelo::DataText::memory(kRules).reportTo(into(told))));
    EXPECT_EQ(quelo::nrlRuleCount(), 4u) << "(~) has a bucket here";
    quelo::freeNrlRules();
    ASSERT_EQ(told.size(), 4u);
    EXPECT_EQ(told[2], (std::pair<size_t, std::string>{
                           4, "left context \"ABCDEF\" is longer than 5 characters: cut to "
                              "\"ABCDE\""}));
}

TEST(DataReport, ExceptionsAreToldAndLoadTheSame) {
    namespace translator = diphone::translator;
    test_support::TempDir dir;
    const std::string line300(300, 'x');
    test_support::writeFile(dir.file("portug.exc"), "casa=kAza\r\n" // 1
                                                    "semigual\r\n"  // 2: no "="
                                                    "\r\n"          // 3: empty, skipped
                                                    "casa=kaza\r\n" // 4: again
                                                    "=nada\r\n" +   // 5: no word
                                                        line300 +
                                                        "\r\n"); // 6: cut
    translator::loadRulesText("(A)=a\n(K)=k\n(S)=s\n(Z)=z\n");
    ASSERT_TRUE(translator::loadExceptions(dir.file("portug.exc")));
    const size_t count = translator::exceptionCount();
    const std::string phonemes = translator::translateText("casa casas");
    Told told;
    ASSERT_TRUE(translator::loadExceptions(dir.file("portug.exc"), into(told)));
    EXPECT_EQ(translator::exceptionCount(), count);
    EXPECT_EQ(translator::translateText("casa casas"), phonemes);
    translator::freeRules();
    const Told expected = {
        {2, "no \"=\": read as a word no text has, ignored"},
        {4, "\"casa\" is already on line 1: this line is never used"},
        {5, "no word before \"=\": never found"},
        {6, "longer than 255 characters: the rest is ignored"},
        {6, "no \"=\": read as a word no text has, ignored"},
    };
    EXPECT_EQ(told, expected);

    // The engine leaves such lines out.
    told.clear();
    ASSERT_TRUE(quelo::loadNrlExceptions(dir.file("portug.exc"), into(told)));
    EXPECT_EQ(quelo::nrlExceptionCount(), 2u);
    const Told engine = {
        {2, "no \"=\": ignored"},
        {4, "\"CASA\" is already on line 1: this line is never used"},
        {5, "no word before \"=\": ignored"},
        {6, "longer than 255 characters: the rest is ignored"},
        {6, "no \"=\": ignored"},
    };
    EXPECT_EQ(told, engine);
}

} // namespace
