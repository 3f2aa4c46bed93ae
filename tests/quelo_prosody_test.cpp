// Prosody of the built-in engine: the prosody and diphone-list files, good and
// bad, and the token, pattern and timing steps.
#include "platform/cp1252.h"
#include "platform/headless/headless.h"
#include "tests/test_support.h"
#include "tradutor/quelo/normalise.h"
#include "tradutor/quelo/prosody.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using quelo::LineList;
using test_support::TempDir;

std::string cp(const std::string &utf8) {
    return platform::utf8ToCp1252(utf8);
}

// The messages shown in message boxes since the last reset, UTF-8.
std::vector<std::string> messagesShown() {
    std::vector<std::string> shown;
    for (const headless::Event &event : headless::transcript())
        if (event.kind == headless::Event::Kind::MessageBox)
            shown.push_back(platform::cp1252ToUtf8(event.text));
    return shown;
}

// Durations of a few phonemes, no keywords, no rules, a flat pitch table.
const char *const SmallProsody = "[DURAÇÃO]\n"
                                 "a=80\n"
                                 "t=50\n"
                                 "r2=60\n"
                                 "__=30\n"
                                 "_,=200\n"
                                 "[CHAVES]\n"
                                 "[PROSÓDIA]\n"
                                 "HERTZ=100\n"
                                 "TABHERTZ=0,10,20,30,40,50,60,70,80,90\n";

class QueloProsody : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        load(SmallProsody);
        writeDiphones("");
        // The last phoneme's name outlives an utterance; an empty line clears it.
        quelo::applyProsody({""}, 1.0, 1.0);
    }
    void TearDown() override {
        quelo::freeDiphoneList();
        quelo::loadAbbreviations(dir_.file("absent.abr"));
    }

    bool load(const std::string &utf8) {
        test_support::writeFile(dir_.file("test.pro"), cp(utf8));
        return quelo::loadProsody(dir_.file("test.pro"));
    }
    void writeDiphones(const std::string &text) {
        test_support::writeFile(dir_.file("test.dfn"), text);
        ASSERT_TRUE(quelo::loadDiphoneList(dir_.file("test.dfn")));
    }

    TempDir dir_;
};

TEST_F(QueloProsody, WorkedExampleOfTokensAndPatterns) {
    const std::string normalised = quelo::normaliseText(cp("Olá, 2 casas."));
    EXPECT_EQ(normalised, cp("Olá, dois  casas."));
    const LineList tokens = quelo::buildTokenList(normalised);
    const LineList expectedTokens = {"[--]",      cp("[XX]Olá"), "[,,],", "[XX]dois",
                                     "[XX]casas", "[..].",       "[--]"};
    EXPECT_EQ(tokens, expectedTokens);
    const LineList expectedPatterns = {"555|",      cp("555|Olá"), "555|,", "555|dois",
                                       "555|casas", "555|.",       "555|"};
    EXPECT_EQ(quelo::assignPatterns(tokens), expectedPatterns);
}

TEST_F(QueloProsody, TokensOfPunctuationEllipsisHyphenAndKeywords) {
    ASSERT_TRUE(load("[DURAÇÃO]\n[CHAVES]\n de = pr\nA=AR\n[PROSÓDIA]\n"));
    const struct {
        const char *text;
        LineList tokens;
    } cases[] = {
        {"de casa", {"[--]", "[PR]de", "[XX]casa"}},
        {"a... b", {"[--]", "[AR]a", "[.-].", "[--]", "[XX]b"}},
        {"guarda-chuva!", {"[--]", "[XX]guarda", "[--]-", "[XX]chuva", "[!!]!", "[--]"}},
        {"sim? ", {"[--]", "[XX]sim", "[??]?", "[--]"}},
        {"", {"[--]"}},
        {"x..", {"[--]", "[XX]x", "[.-].", "[--]"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(quelo::buildTokenList(c.text), c.tokens) << c.text;
    EXPECT_EQ(quelo::lookupKeyClass("DE"), "PR");
    EXPECT_EQ(quelo::lookupKeyClass("casa"), "");
}

TEST_F(QueloProsody, PatternsFromTheFirstMatchingRuleWithTheRememberedDigit) {
    ASSERT_TRUE(load("[DURAÇÃO]\n[CHAVES]\nDE=PR\n[PROSÓDIA]\n"
                     "|XX|..=?31\n"
                     "--|XX|=678\n"
                     "|PR|=?22\n"
                     "XXX|XX|=999\n"
                     "|XX|=456\n"));
    // "?" takes the last digit of the token before; a three-letter class
    // field never matches a token.
    const LineList expected = {"555|", "678|casa", "822|de", "231|pedra", "555|.", "555|"};
    EXPECT_EQ(quelo::assignPatterns(quelo::buildTokenList("casa de pedra.")), expected);
}

TEST_F(QueloProsody, DurationsStressAndLongWords) {
    writeDiphones("a a\n_ a\n");
    const struct {
        LineList phonemes;
        LineList expected;
    } cases[] = {
        // a stressed vowel of 80 ms lasts 116 ms, and so does what follows it
        {{";555|ab", ">a", "a", ""}, {";ab", "a 116 80 50", "a 116 50 50", ""}},
        // before the stress: 80% in words of 13 letters and more, 90% from 9
        {{";555|abcdefghijklm", "a", ">a", ""},
         {";abcdefghijklm", "a 64 50 50", "a 116 80 50", ""}},
        {{";555|abcdefghijkl", "a", ">a", ""}, {";abcdefghijkl", "a 72 50 50", "a 116 80 50", ""}},
        {{";555|abcdefghi", "a", ">a", ""}, {";abcdefghi", "a 72 50 50", "a 116 80 50", ""}},
        {{";555|abcdefgh", "a", ">a", ""}, {";abcdefgh", "a 80 50 50", "a 116 80 50", ""}},
        // "¨" brings the length back to normal; the empty line ends the word
        {{";555|aaa", ">a", "\250a", "", ";555|a", "a", ""},
         {";aaa", "a 116 80 50", "a 80 50 50", "", ";a", "a 80 50 50", ""}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(quelo::applyProsody(c.phonemes, 1.0, 1.0), c.expected) << c.phonemes[0];
}

TEST_F(QueloProsody, PitchPointsOfAWord) {
    const struct {
        LineList phonemes;
        LineList expected;
    } cases[] = {
        // first phoneme: first digit at 50%; stressed: second at 80%; last:
        // third at 50%; others none.
        {{";159|tata", "t", "a", ">t", "a", "t", "a", ""},
         {";tata", "t 50 50 10", "a 80", "t 72 80 50", "a 116", "t 72", "a 116 50 90", ""}},
        // a word stressed on its first phoneme has no first-digit point
        {{";159|at", ">a", "t", ""}, {";at", "a 116 80 50", "t 72 50 90", ""}},
        // an unstressed word: only the first-digit point
        {{";357|ta", "t", "a", ""}, {";ta", "t 50 50 30", "a 80", ""}},
        // a sentence boundary: "__" with its duration and the first digit
        {{";255|", "__", ""}, {";", "_ 30 50 20", ""}},
        // digit 0 has no pitch in the table: no point
        {{";055|a", "a", ""}, {";a", "a 80", ""}},
        // pauses: "_" alone is 100 ms, "_ n" is n ms
        {{";555|,", "_,", "_", "_ 42", ""}, {";,", "_ 200 50 50", "_ 100", "_ 42", ""}},
    };
    writeDiphones("t a\na t\nt t\na a\n_ _\n_ t\n_ a\nt _\na _\n");
    for (const auto &c : cases)
        EXPECT_EQ(quelo::applyProsody(c.phonemes, 1.0, 1.0), c.expected) << c.phonemes[0];
}

TEST_F(QueloProsody, FactorsScaleDurationsAndPitch) {
    writeDiphones("_ a\na a\n");
    EXPECT_EQ(quelo::applyProsody({";555|a", "a", ""}, 0.6, 1.5),
              (LineList{";a", "a 48 50 75", ""}));
    EXPECT_EQ(quelo::applyProsody({";555|a", "a", ""}, 1e300, 1.0)[1].substr(0, 2), "a ");
}

TEST_F(QueloProsody, TransitionPhonemesWhereTheVoiceLacksADiphone) {
    // t-a missing but t-y known: "y 50"; a-r2 missing and no a-y: "_ 50";
    // r2-t missing with r2-_ known: "_ 50".
    writeDiphones("_-t\nt-y\nt-t\nr2 _\n");
    const LineList expected = {";tar2t", "t 50 50 50", "y 50", "a 80", "_ 50",
                               "r2 60",  "_ 50",       "t 50", ""};
    EXPECT_EQ(quelo::applyProsody({";555|tar2t", "t", "a", "r2", "t", ""}, 1.0, 1.0), expected);
}

TEST_F(QueloProsody, TheFirstPhonemeOfAWordIsCheckedAgainstTheLastOfTheWordBefore) {
    writeDiphones("_ t\nt a\na t\n");
    // a-t is known: nothing between "ta" and "ta"; a-a and t-t are not.
    const LineList phonemes = {";555|ta", "t", "a", "", ";555|ta", "t", "a", "",
                               ";555|at", "a", "t", "", ";555|ta", "t", "a", ""};
    const LineList expected = {
        ";ta",  "t 50 50 50", "a 80", "", ";ta", "t 50 50 50", "a 80",       "",     ";at",
        "_ 50", "a 80 50 50", "t 50", "", ";ta", "_ 50",       "t 50 50 50", "a 80", ""};
    EXPECT_EQ(quelo::applyProsody(phonemes, 1.0, 1.0), expected);
}

TEST_F(QueloProsody, DiphoneListLinesAndCase) {
    writeDiphones("; comment\r\n! other\r\n* other\r\n\r\n  a-b  \r\nR2\tS2 junk 12\r\n"
                  "x~y\r\n~~~\r\nlonelyname\r\n\xff\xfe\x01 b\r\n");
    EXPECT_TRUE(quelo::hasDiphone("a", "b"));
    EXPECT_TRUE(quelo::hasDiphone("r2", "s2"));
    EXPECT_TRUE(quelo::hasDiphone("x", "y"));
    EXPECT_TRUE(quelo::hasDiphone("lonelyname", ""));
    EXPECT_FALSE(quelo::hasDiphone("b", "a"));
    EXPECT_FALSE(quelo::loadDiphoneList(dir_.file("absent.dfn")));
    EXPECT_FALSE(quelo::hasDiphone("a", "b"));
}

TEST_F(QueloProsody, LoaderMessagesAndResults) {
    const struct {
        const char *file;
        bool loads;
        const char *message; // empty: none
    } cases[] = {
        {"[CHAVES]\n[PROSÓDIA]\n", false, "Duração dos difones errada ou ausente"},
        {"[DURAÇÃO]\na 80\n[CHAVES]\n[PROSÓDIA]\n", false,
         "Configuração da prosódia: fonema errado: a 80"},
        {"[DURAÇÃO]\na=oitenta\n[CHAVES]\n[PROSÓDIA]\n", true,
         "Configuração da prosódia: fonema errado: a=oitenta"},
        {"[DURAÇÃO]\n[PROSÓDIA]\n", false, "Prosódia: palavras chaves ausentes"},
        {"[DURAÇÃO]\n[CHAVES]\nde PR\n[PROSÓDIA]\n", false,
         "Configuração da prosódia: chave errada: de PR"},
        {"[DURAÇÃO]\n[CHAVES]\n", false, "Prosódia: especificações ausentes"},
        {"[DURAÇÃO]\n[CHAVES]\n[PROSÓDIA]\nxx|yy\n", false,
         "Configuração da prosódia: chave errada: XX|YY"},
        {"[DURAÇÃO]\n[CHAVES]\n[PROSÓDIA]\n|XX|=5a5\n", true,
         "Configuração da prosódia: padrão errado: |XX|=5A5"},
        {"[DURAÇÃO]\n[CHAVES]\n[PROSÓDIA]\nHERTZ=alto\n", true,
         "Configuração da prosódia: valor errado: HERTZ=ALTO"},
        {"[DURAÇÃO]\n[CHAVES]\n[PROSÓDIA]\nTABHERTZ=1,2,3\n", true,
         "Configuração da prosódia: valor errado: TABHERTZ=1,2,3"},
        // sections in any order, comments, blank lines; the last section at
        // the very end of the file
        {"; c\n[PROSÓDIA]\n* x\n\n|XX|=555\n[CHAVES]\n;\n[DURAÇÃO]\na=1", true, ""},
    };
    for (const auto &c : cases) {
        headless::reset();
        EXPECT_EQ(load(c.file), c.loads) << c.file;
        const std::vector<std::string> shown = messagesShown();
        if (*c.message)
            EXPECT_EQ(shown, std::vector<std::string>{std::string("Quelo: ") + c.message})
                << c.file;
        else
            EXPECT_TRUE(shown.empty()) << c.file;
    }
    headless::reset();
    EXPECT_FALSE(quelo::loadProsody(dir_.file("absent.pro")));
    EXPECT_EQ(messagesShown(),
              std::vector<std::string>{"Quelo: Configuração da prosódia não foi achada"});
}

TEST_F(QueloProsody, DurationLookupAndHertzDefault) {
    ASSERT_TRUE(load("[DURAÇÃO]\nabc=70\n a = 90\na=10\n[CHAVES]\n[PROSÓDIA]\n"));
    EXPECT_EQ(quelo::lookupDuration("a"), 90);
    EXPECT_EQ(quelo::lookupDuration("ab"), 70); // names are cut to two characters
    EXPECT_EQ(quelo::lookupDuration("abc"), 100);
    EXPECT_EQ(quelo::lookupDuration("zz"), 100);
    // HERTZ falls back to 230; TABHERTZ keeps its values from the last load
    writeDiphones("_ a\na a\n");
    EXPECT_EQ(quelo::applyProsody({";555|a", "a", ""}, 1.0, 1.0)[1], "a 90 50 115");
}

TEST_F(QueloProsody, CapacitiesAreKeptWithAMessage) {
    std::string file = "[DURAÇÃO]\n";
    for (int i = 0; i < 150; ++i)
        file += "p" + std::to_string(i % 10) + "=" + std::to_string(i) + "\n";
    file += "[CHAVES]\n";
    for (int i = 0; i < 1200; ++i)
        file += "W" + std::to_string(i) + "=AA\n";
    file += "[PROSÓDIA]\n";
    for (int i = 0; i < 400; ++i)
        file += "|X" + std::to_string(i % 10) + "|=555\n";
    headless::reset();
    EXPECT_TRUE(load(file));
    EXPECT_EQ(messagesShown().size(), 3u);
    EXPECT_EQ(quelo::lookupKeyClass("W999"), "AA");
    EXPECT_EQ(quelo::lookupKeyClass("W1000"), "");
}

TEST_F(QueloProsody, JunkFilesNeverCrash) {
    std::string junk;
    for (int i = 0; i < 200000; ++i)
        junk += static_cast<char>((i * 7919) % 256);
    headless::reset();
    load(junk);
    load("[DURAÇÃO]\n" + junk + "\n[CHAVES]\n" + junk + "\n[PROSÓDIA]\n" + junk);
    test_support::writeFile(dir_.file("junk.dfn"), junk);
    EXPECT_TRUE(quelo::loadDiphoneList(dir_.file("junk.dfn")));
    const LineList lines = quelo::buildTokenList(junk);
    EXPECT_GT(lines.size(), 1u);
    quelo::applyProsody(quelo::assignPatterns(lines), 1.0, 1.0);
}

} // namespace
