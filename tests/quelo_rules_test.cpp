// Pronunciation rules and exceptions of the built-in engine: the
// context classes, bucket order, output cut and stress mark on small rule
// sets written here; the exception table and its S/M retry; the utterance
// pass with pauses and joins; files of any shape; and the shipped data.
#include "platform/cp1252.h"
#include "tests/test_support.h"
#include "tradutor/quelo/letters.h"
#include "tradutor/quelo/rules.h"
#include "tradutor/quelo/stress.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using test_support::TempDir;
using Lines = std::vector<std::string>;

std::string cp(const std::string &utf8) {
    return platform::utf8ToCp1252(utf8);
}

// The phoneme lines of a word, joined by blanks, without the empty line
// that ends it ("?" marks a word that did not end with one).
std::string say(const std::string &word, size_t stress = 0) {
    Lines list;
    quelo::applyNrlRules(word, stress, list);
    if (list.empty() || !list.back().empty())
        return "?";
    std::string text;
    for (size_t i = 0; i + 1 < list.size(); ++i)
        text += (i == 0 ? "" : " ") + list[i];
    return text;
}

class QueloRules : public ::testing::Test {
protected:
    // Writes and loads a rules file (given in UTF-8, stored in Windows-1252).
    void rules(const std::string &utf8) {
        test_support::writeFile(dir_.file("portug.nrl"), cp(utf8));
        ASSERT_TRUE(quelo::loadNrlRules(dir_.file("portug.nrl")));
    }
    void rawRules(const std::string &bytes) {
        test_support::writeFile(dir_.file("portug.nrl"), bytes);
        ASSERT_TRUE(quelo::loadNrlRules(dir_.file("portug.nrl")));
    }
    void exceptions(const std::string &utf8) {
        test_support::writeFile(dir_.file("portug.exc"), cp(utf8));
        ASSERT_TRUE(quelo::loadNrlExceptions(dir_.file("portug.exc")));
    }
    void rawExceptions(const std::string &bytes) {
        test_support::writeFile(dir_.file("portug.exc"), bytes);
        ASSERT_TRUE(quelo::loadNrlExceptions(dir_.file("portug.exc")));
    }
    void TearDown() override {
        quelo::freeNrlRules();
        test_support::writeFile(dir_.file("empty.exc"), "");
        quelo::loadNrlExceptions(dir_.file("empty.exc"));
    }

    TempDir dir_;
};

// ---- context classes ----

TEST_F(QueloRules, EveryContextClassOnTheLeftAndTheRight) {
    const struct {
        const char *rule; // a rule for B giving "v", before the fallback (B)=b
        const char *word;
        const char *phonemes;
    } cases[] = {
        // Left: "#" one vowel.
        {"#(B)=v", "AB", "v"},
        {"#(B)=v", "ÚB", "v"},
        {"#(B)=v", "CB", "b"},
        {"#(B)=v", "B", "b"},
        {"#(B)=v", "YB", "b"},
        // "%" the start of the word.
        {"%(B)=v", "B", "v"},
        {"%(B)=v", "AB", "b"},
        // "]" a back vowel: A O Á Â Ó Ô.
        {"](B)=v", "AB", "v"},
        {"](B)=v", "OB", "v"},
        {"](B)=v", "ÂB", "v"},
        {"](B)=v", "ÓB", "v"},
        {"](B)=v", "EB", "b"},
        {"](B)=v", "ÃB", "b"},
        {"](B)=v", "UB", "b"},
        // "_" a vowel or the start.
        {"_(B)=v", "B", "v"},
        {"_(B)=v", "EB", "v"},
        {"_(B)=v", "CB", "b"},
        {"%_(B)=v", "AB", "v"},
        {"%_(B)=v", "B", "v"},
        {"%_(B)=v", "CAB", "b"},
        // "|" one of N R S.
        {"|(B)=v", "NB", "v"},
        {"|(B)=v", "RB", "v"},
        {"|(B)=v", "SB", "v"},
        {"|(B)=v", "TB", "b"},
        {"|(B)=v", "B", "b"},
        // A literal, read from the centre outwards.
        {"AC(B)=v", "ACB", "v"},
        {"AC(B)=v", "CAB", "b"},
        {"AC(B)=v", "CB", "b"},
        {"#C(B)=v", "OCB", "v"},
        // Right: "#" one vowel.
        {"(B)#=v", "BA", "v"},
        {"(B)#=v", "BÕ", "v"},
        {"(B)#=v", "BC", "b"},
        {"(B)#=v", "B", "b"},
        // "%" the end.
        {"(B)%=v", "B", "v"},
        {"(B)%=v", "BA", "b"},
        // "&" one of L M N R Z.
        {"(B)&=v", "BL", "v"},
        {"(B)&=v", "BM", "v"},
        {"(B)&=v", "BN", "v"},
        {"(B)&=v", "BR", "v"},
        {"(B)&=v", "BZ", "v"},
        {"(B)&=v", "BS", "b"},
        {"(B)&%=v", "BR", "v"},
        // "*" a consonant other than L and R, not consumed.
        {"(B)*=v", "BC", "v"},
        {"(B)*=v", "BH", "v"},
        {"(B)*=v", "BÇ", "v"},
        {"(B)*=v", "BL", "b"},
        {"(B)*=v", "BR", "b"},
        {"(B)*=v", "BA", "b"},
        {"(B)*=v", "B", "b"},
        {"(B)*C=v", "BC", "v"},
        // "+" a front vowel: E I É Í (not Ê).
        {"(B)+=v", "BE", "v"},
        {"(B)+=v", "BI", "v"},
        {"(B)+=v", "BÉ", "v"},
        {"(B)+=v", "BÍ", "v"},
        {"(B)+=v", "BÊ", "b"},
        {"(B)+=v", "BA", "b"},
        // "[" the end or a consonant other than H, not consumed.
        {"(B)[=v", "B", "v"},
        {"(B)[=v", "BC", "v"},
        {"(B)[=v", "BÑ", "v"},
        {"(B)[=v", "BH", "b"},
        {"(B)[=v", "BA", "b"},
        {"(B)[C=v", "BC", "v"},
        // "\" an optional S.
        {"(B)\\%=v", "B", "v"},
        {"(B)\\%=v", "BS", "v"},
        {"(B)\\%=v", "BSS", "b"},
        {"(B)\\A=v", "BA", "v"},
        {"(B)\\A=v", "BSA", "v"},
        // A literal on the right.
        {"(B)C=v", "BC", "v"},
        {"(B)C=v", "B", "b"},
        {"(B)CD=v", "BCE", "b"},
        // A centre of several letters must not run past the end.
        {"(BC)=v", "BC", "v"},
        {"(BC)=v", "B", "b"},
        // Letters compare upper-cased, accented ones included.
        {"(B)É=v", "bé", "v"},
    };
    for (const auto &c : cases) {
        rules(std::string(c.rule) + "\r\n(B)=b\r\n");
        EXPECT_EQ(say(cp(c.word)), c.phonemes) << c.rule << " on " << c.word;
    }
}

TEST_F(QueloRules, FirstMatchingRuleOfTheBucketInFileOrder) {
    rules("(B)=first\r\n(B)=second\r\n(BA)=never\r\n(A)=a\r\n");
    EXPECT_EQ(say("BA"), "first a");
    rules("(BA)=x\r\n(B)=b\r\n(A)=a\r\n");
    EXPECT_EQ(say("BA"), "x");
    EXPECT_EQ(say("AB"), "a b");
    // Rules of other buckets never interfere, wherever they stand.
    rules("(A)=a\r\n(C)=c\r\n(B)A=v\r\n(A)B=never\r\n(B)=b\r\n");
    EXPECT_EQ(say("BAB"), "v a b");
    EXPECT_EQ(quelo::nrlRuleCount(), 5u);
}

TEST_F(QueloRules, OutputsAreSplitAtAmpersandsAndCutAtElevenCharacters) {
    rules("(A)=a~&w~\r\n(B)=abcdefghijklmnopqrstuvwxyz\r\n(C)=c1&c2&c3&c4&c5\r\n(D)=\r\n");
    EXPECT_EQ(say("A"), "a~ w~");
    // Twenty characters are kept, eleven used.
    EXPECT_EQ(say("B"), "abcdefghijk");
    EXPECT_EQ(say("C"), "c1 c2 c3 c4");
    // An empty output gives nothing.
    EXPECT_EQ(say("DAD"), "a~ w~");
}

TEST_F(QueloRules, FieldsKeepTheirFirstCharacters) {
    // The left context XYZWVUT keeps XYZWV.
    rules("XYZWVUT(B)=v\r\n(B)=b\r\n");
    EXPECT_EQ(say("XYZWVB"), "v");
    EXPECT_EQ(say("ZWVUTB"), "b");
    // The centre keeps five letters.
    rules("(BBBBBBB)=w\r\n(B)=b\r\n");
    EXPECT_EQ(say("BBBBB"), "w");
    EXPECT_EQ(say("BBBBBBB"), "w b b");
    // The right context CDEFGHI keeps CDEFG.
    rules("(C)CDEFGHI=x\r\n(C)=c\r\n");
    EXPECT_EQ(say("CCDEFG"), "x c");
    EXPECT_EQ(say("CCDEF"), "c c");
}

TEST_F(QueloRules, StressMarkOnTheFirstPhonemeAtOrAfterTheStressedLetterOnce) {
    rules("(AO)=a~&w~\r\n(A)=a\r\n(B)=b\r\n(H)=\r\n(GU)=g\r\n(E)=e\r\n");
    EXPECT_EQ(say("ABAB", 1), ">a b a b");
    EXPECT_EQ(say("ABAB", 3), "a b >a b");
    EXPECT_EQ(say("ABAB", 4), "a b a >b");
    // Stress 0: no mark at all.
    EXPECT_EQ(say("ABAB", 0), "a b a b");
    // A stress after the end of the word marks nothing.
    EXPECT_EQ(say("ABAB", 9), "a b a b");
    // Only the first phoneme of the output carries it.
    EXPECT_EQ(say("BAO", 2), "b >a~ w~");
    // A letter without a rule or with an empty output passes it on.
    EXPECT_EQ(say("AXB", 2), "a >b");
    EXPECT_EQ(say("HA", 1), ">a");
    // A centre that began before the stressed letter does not carry it.
    EXPECT_EQ(say("GUE", 2), "g >e");
    // Once only, in a word of any length.
    const std::string longWord(600, 'A');
    Lines list;
    quelo::applyNrlRules(longWord, 300, list);
    size_t marks = 0;
    for (const std::string &line : list)
        marks += line.find('>') != std::string::npos;
    EXPECT_EQ(marks, 1u);
    EXPECT_EQ(list[299], ">a");
    list.clear();
    quelo::applyNrlRules(longWord, 0, list);
    for (const std::string &line : list)
        EXPECT_EQ(line.find('>'), std::string::npos);
}

TEST_F(QueloRules, LettersWithoutARuleAreDropped) {
    rules("(A)=a\r\n(B)A=v\r\n");
    EXPECT_EQ(say("AXA"), "a a");
    EXPECT_EQ(say("BB"), "");
    EXPECT_EQ(say("BA"), "v a");
    EXPECT_EQ(say(std::string("A\x01\x1f"
                              "A\xff",
                              5)),
              "a a");
    EXPECT_EQ(say(""), "");
    rules("");
    EXPECT_EQ(say("CASA"), "");
}

// ---- loading the rules ----

TEST_F(QueloRules, CommentsBlankLinesAndLinesWithoutCentreAreNotStored) {
    rules(";(A)=comment\r\n"
          "\r\n"
          "   \r\n"
          "A=no bracket\r\n"
          "()=empty centre\r\n"
          "#()#=empty centre\r\n"
          "(A=no closing bracket\r\n"
          "(B)=no bar\r\n"
          "(C)\r\n"
          " (D)=d|\r\n");
    // "(A=no closing bracket" keeps the centre "A=no " and no output; "(C)"
    // has no output; " (D)" has a blank as its left context, which no word
    // holds.
    EXPECT_EQ(quelo::nrlRuleCount(), 4u);
    EXPECT_EQ(say("A"), "");
    EXPECT_EQ(say("B"), "no bar");
    EXPECT_EQ(say("CD"), "");
}

TEST_F(QueloRules, LineEndsOfEveryKind) {
    rawRules("(A)=a\r(B)=b\n(C)=c\r\n\r\n(D)=d");
    EXPECT_EQ(say("ABCD"), "a b c d");
}

TEST_F(QueloRules, CentresBelowCode32HaveNoBucket) {
    rawRules("(\x01)=x\r\n(\t)=y\r\n(A)=a\r\n");
    EXPECT_EQ(quelo::nrlRuleCount(), 1u);
    EXPECT_EQ(say(std::string("\x01"
                              "A\t",
                              3)),
              "a");
}

TEST_F(QueloRules, LongLinesAndBinaryJunk) {
    // A line of 100000 characters, its centre far from the start.
    std::string text = std::string(100000, 'X') + "(B)" + std::string(50000, 'Y') + "=" +
                       std::string(1000, 'z') + "\r\n(A)=a\r\n";
    rawRules(text);
    EXPECT_EQ(quelo::nrlRuleCount(), 2u);
    EXPECT_EQ(say("AB"), "a");
    // Random bytes: whatever is stored, words of any bytes are read safely.
    std::mt19937 random(1234);
    std::string junk;
    for (int i = 0; i < 200000; ++i)
        junk += static_cast<char>(random() & 0xff);
    rawRules(junk);
    for (int i = 0; i < 200; ++i) {
        std::string word;
        const size_t length = random() % 40;
        for (size_t k = 0; k < length; ++k)
            word += static_cast<char>(random() & 0xff);
        Lines list;
        quelo::applyNrlRules(word, random() % 50, list);
        ASSERT_FALSE(list.empty());
        EXPECT_TRUE(list.back().empty());
    }
    rawRules(std::string(300000, '('));
    EXPECT_EQ(quelo::nrlRuleCount(), 1u); // centre "((((("
    rawRules(std::string(300000, '\0'));
    EXPECT_EQ(quelo::nrlRuleCount(), 0u);
}

TEST_F(QueloRules, MissingFilesAreReportedAndLoadingAgainReplaces) {
    EXPECT_FALSE(quelo::loadNrlRules(dir_.file("none.nrl")));
    EXPECT_FALSE(quelo::loadNrlExceptions(dir_.file("none.exc")));
    rules("(A)=a\r\n(B)=b\r\n");
    EXPECT_EQ(quelo::nrlRuleCount(), 2u);
    rules("(A)=x\r\n");
    EXPECT_EQ(quelo::nrlRuleCount(), 1u);
    EXPECT_EQ(say("AB"), "x");
    quelo::freeNrlRules();
    EXPECT_EQ(quelo::nrlRuleCount(), 0u);
    EXPECT_EQ(say("AB"), "");
}

// ---- exceptions ----

TEST_F(QueloRules, ExceptionsAreFoundWithTheirSAndMSuffixes) {
    exceptions("PODE=PÓDE\r\n"
               "ovo=ôvo|comment\r\n"
               "ABC=XYZ\r\n"
               "BEM=BÊM\r\n");
    const struct {
        const char *word;
        const char *result;
    } cases[] = {
        {"PODE", "PÓDE"},     {"OVO", "ÔVO"},     {"OVOS", "ÔVOS"},   {"OVOM", "ÔVOM"},
        {"OVOSMS", "ÔVOSMS"}, {"ABC", "XYZ"},     {"BEM", "BÊM"},     {"BEMS", "BÊMS"},
        {"BE", "BE"},         {"PODES", "PÓDES"}, {"PODER", "PODER"}, {"ABCD", "ABCD"},
        {"SSM", "SSM"},       {"S", "S"},         {"", ""},           {"OV", "OV"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(quelo::lookupException(cp(c.word)), cp(c.result)) << c.word;
}

TEST_F(QueloRules, AKeyWithATrailingBlankNeverMatches) {
    exceptions("CASA =KAZA\r\nCASO= KAZO \r\n");
    EXPECT_EQ(quelo::lookupException("CASA"), "CASA");
    EXPECT_EQ(quelo::lookupException("CASA "), "KAZA");
    // The replacement keeps its blanks.
    EXPECT_EQ(quelo::lookupException("CASO"), " KAZO ");
}

TEST_F(QueloRules, ExceptionLinesWithoutEqualsOrKeyAreNotStored) {
    exceptions("CASA\r\n"
               "CASO|=X\r\n"
               "=EMPTY\r\n"
               "\r\n"
               "ABC=\r\n"
               "DEF=G=H\r\n");
    EXPECT_EQ(quelo::nrlExceptionCount(), 3u);
    EXPECT_EQ(quelo::lookupException("CASA"), "CASA");
    EXPECT_EQ(quelo::lookupException("CASO|"), "X");
    EXPECT_EQ(quelo::lookupException("ABC"), "");
    EXPECT_EQ(quelo::lookupException("ABCS"), "S");
    EXPECT_EQ(quelo::lookupException("DEF"), "G=H");
}

TEST_F(QueloRules, ExceptionsAreSortedByByteAndTheFirstOfEqualKeysWins) {
    exceptions("ZZZ=1\r\nÁGUA=2\r\nAGUA=3\r\nMMM=4\r\nAAA=5\r\nAGUA=6\r\n");
    EXPECT_EQ(quelo::lookupException("ZZZ"), "1");
    EXPECT_EQ(quelo::lookupException(cp("ÁGUA")), "2");
    EXPECT_EQ(quelo::lookupException("AGUA"), "3");
    EXPECT_EQ(quelo::lookupException("MMM"), "4");
    EXPECT_EQ(quelo::lookupException("AAA"), "5");
}

TEST_F(QueloRules, AtMost15000ExceptionsOfAtMost255Characters) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "W" + std::to_string(100000 + i) + "=R" + std::to_string(i) + "\r\n";
    rawExceptions(text);
    EXPECT_EQ(quelo::nrlExceptionCount(), quelo::MaxNrlExceptions);
    EXPECT_EQ(quelo::lookupException("W100000"), "R0");
    EXPECT_EQ(quelo::lookupException("W114999"), "R14999");
    EXPECT_EQ(quelo::lookupException("W115000"), "W115000");
    EXPECT_EQ(quelo::lookupException("W119999"), "W119999");
    // A long line keeps 255 characters; a "=" after them is lost.
    rawExceptions("KEY=" + std::string(1000, 'x') + "\r\n" + std::string(300, 'K') + "=Y\r\n");
    EXPECT_EQ(quelo::nrlExceptionCount(), 1u);
    EXPECT_EQ(quelo::lookupException("KEY"), std::string(251, 'X'));
    // Binary junk loads and every lookup answers.
    std::mt19937 random(99);
    std::string junk;
    for (int i = 0; i < 100000; ++i)
        junk += static_cast<char>(random() % 4 == 0 ? '=' : random() & 0xff);
    rawExceptions(junk);
    for (int i = 0; i < 300; ++i) {
        std::string word;
        const size_t length = random() % 12;
        for (size_t k = 0; k < length; ++k)
            word += static_cast<char>(random() & 0xff);
        (void)quelo::lookupException(word + "SM");
    }
}

// ---- utterances ----

const char *const SmallRules = "(M)=m\r\n"
                               "(A)=a\r\n"
                               "(R)%=r2\r\n"
                               "(R)=r\r\n"
                               "(S)%=s2\r\n"
                               "(S)=s\r\n"
                               "(Z)=z\r\n"
                               "(U)=u\r\n"
                               "(L)%=w\r\n"
                               "(Y)=y\r\n"
                               "(O)=o\r\n"
                               "(E)=\xa8i\r\n"
                               "(\xc1)=a\r\n";

TEST_F(QueloRules, PhonetiseWritesCommentsPausesAndBoundaries) {
    rawRules(SmallRules);
    const Lines out = quelo::phonetise({"555|", "123|Mar", "555|azul", "555|,", "456|.", "555|"});
    const Lines expected = {";555|",     "__", "",      ";123|Mar", "m", ">a", "r",      "",
                            ";555|azul", "a",  "z",     ">u",       "w", "",   ";555|,", "_,",
                            ";456|.",    "_.", ";555|", "__",       "",  "__"};
    EXPECT_EQ(out, expected);
}

TEST_F(QueloRules, PauseNamesOfEveryMark) {
    rawRules(SmallRules);
    for (const char mark : std::string("!(),.:;?")) {
        const Lines out = quelo::phonetise({std::string("555|") + mark});
        const Lines expected = {std::string(";555|") + mark, std::string("_") + mark, "__"};
        EXPECT_EQ(out, expected) << mark;
    }
    // A blank gives no pause; another mark is read as a word.
    EXPECT_EQ(quelo::phonetise({"555| "}), (Lines{";555| ", "__"}));
    EXPECT_EQ(quelo::phonetise({"555|-"}), (Lines{";555|-", "", "__"}));
    // Lines too short to hold a token are sentence boundaries.
    EXPECT_EQ(quelo::phonetise({"55"}), (Lines{";55", "__", "", "__"}));
    EXPECT_EQ(quelo::phonetise({}), (Lines{"__"}));
}

TEST_F(QueloRules, JoinsAcrossWords) {
    rawRules(SmallRules);
    const auto lastOfFirst = [](const std::string &first, const std::string &second) {
        const Lines out = quelo::phonetise({"555|" + first, "555|" + second});
        for (size_t i = 1; i < out.size(); ++i)
            if (out[i].empty())
                return out[i - 1];
        return std::string("?");
    };
    EXPECT_EQ(lastOfFirst("mar", "azul"), "r");
    EXPECT_EQ(lastOfFirst("mas", "azul"), "z");
    EXPECT_EQ(lastOfFirst("mas", "os"), "z");
    EXPECT_EQ(lastOfFirst("mar", "ya"), "r");
    EXPECT_EQ(lastOfFirst("mar", "um"), "r");
    // A leading ¨ is looked through ("e" gives "¨i").
    EXPECT_EQ(lastOfFirst("mar", "e"), "r");
    // Not before a consonant, a stressed vowel, a pause or nothing.
    EXPECT_EQ(lastOfFirst("mar", "mar"), "r2");
    EXPECT_EQ(lastOfFirst("mas", "asa"), "s2");
    EXPECT_EQ(lastOfFirst("mar", "asa"), "r2");
    EXPECT_EQ(lastOfFirst("mar", ","), "r2");
    EXPECT_EQ(lastOfFirst("mar", ""), "r2");
    EXPECT_EQ(quelo::phonetise({"555|mar"}), (Lines{";555|mar", "m", ">a", "r2", "", "__"}));
    // Nothing but r2 and s2 changes.
    EXPECT_EQ(lastOfFirst("mal", "azul"), "w");
    // A pause between the words stops the join.
    const Lines out = quelo::phonetise({"555|mar", "555|,", "555|azul"});
    EXPECT_EQ(out[3], "r2");
}

TEST_F(QueloRules, PhonetiseUsesTheExceptionsAndTheStress) {
    rawRules(SmallRules);
    exceptions("MAZ=AZUL\r\nSOMA=SOMÁ\r\n");
    EXPECT_EQ(quelo::phonetise({"555|maz"}), (Lines{";555|maz", "a", "z", ">u", "w", "", "__"}));
    // The suffix comes back; the accent of the replacement sets the stress.
    EXPECT_EQ(quelo::phonetise({"555|somas"}),
              (Lines{";555|somas", "s", "o", "m", ">a", "s2", "", "__"}));
    // Unstressed words carry no mark.
    EXPECT_EQ(quelo::phonetise({"555|da", "555|com"}),
              (Lines{";555|da", "a", "", ";555|com", "o", "m", "", "__"}));
}

// ---- the shipped files ----

const std::string ShippedDir = ZEB_SOURCE_DIR "/data/quelo/";

const std::set<std::string> &phonemeSet() {
    static const std::set<std::string> names = {
        "_",  "a", "e", "ee", "i",  "o", "oo", "u", "@",  "an", "en", "in", "on",
        "un", "y", "w", "p",  "b",  "t", "d",  "k", "g",  "f",  "v",  "s",  "z",
        "x",  "j", "m", "n",  "nh", "l", "lh", "r", "rr", "r2", "s2"};
    return names;
}

std::string stripMarks(std::string name) {
    std::string plain;
    for (const char c : name)
        if (c != '>' && c != '\xa8')
            plain += c;
    return plain;
}

std::vector<std::string> fileLines(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> lines;
    std::string line;
    const std::string all = text.str();
    size_t from = 0;
    while (from < all.size()) {
        const size_t end = all.find("\r\n", from);
        EXPECT_NE(end, std::string::npos) << "a line of " << path << " without CR LF";
        if (end == std::string::npos)
            break;
        lines.push_back(all.substr(from, end - from));
        from = end + 2;
    }
    return lines;
}

TEST(QueloShippedRules, EveryRuleIsWellFormedAndOutputsOnlyKnownPhonemes) {
    const std::vector<std::string> lines = fileLines(ShippedDir + "portug.nrl");
    ASSERT_GT(lines.size(), 100u);
    size_t rules = 0;
    for (const std::string &line : lines) {
        EXPECT_EQ(line.find('\n'), std::string::npos);
        EXPECT_EQ(line.find('\r'), std::string::npos);
        if (line.empty() || line[0] == ';')
            continue;
        ++rules;
        const size_t open = line.find('(');
        const size_t close = line.find(')');
        const size_t equals = line.find('=', close);
        ASSERT_TRUE(open != std::string::npos && close != std::string::npos &&
                    equals != std::string::npos && open < close)
            << line;
        const size_t bar = line.find('|', equals);
        const std::string output =
            line.substr(equals + 1, (bar == std::string::npos ? line.size() : bar) - equals - 1);
        EXPECT_LE(open, quelo::MaxRuleLeft) << line;
        EXPECT_GE(close - open - 1, 1u) << line;
        EXPECT_LE(close - open - 1, quelo::MaxRuleCentre) << line;
        EXPECT_LE(equals - close - 1, quelo::MaxRuleRight) << line;
        // Nothing of an output is cut.
        EXPECT_LE(output.size(), quelo::UsedRuleOutput) << line;
        if (output.empty())
            continue;
        EXPECT_NE(output.front(), '&') << line;
        EXPECT_NE(output.back(), '&') << line;
        size_t from = 0;
        while (true) {
            const size_t amp = output.find('&', from);
            const std::string name = stripMarks(
                output.substr(from, (amp == std::string::npos ? output.size() : amp) - from));
            EXPECT_TRUE(phonemeSet().count(name)) << "'" << name << "' in " << line;
            if (amp == std::string::npos)
                break;
            from = amp + 1;
        }
    }
    ASSERT_TRUE(quelo::loadNrlRules(ShippedDir + "portug.nrl"));
    EXPECT_EQ(quelo::nrlRuleCount(), rules);
}

TEST(QueloShippedRules, ExceptionsAreRespellingsOfLetters) {
    const std::vector<std::string> lines = fileLines(ShippedDir + "portug.exc");
    ASSERT_GT(lines.size(), 10u);
    std::set<std::string> keys;
    for (const std::string &line : lines) {
        const size_t equals = line.find('=');
        ASSERT_NE(equals, std::string::npos) << line;
        const std::string key = line.substr(0, equals);
        const size_t bar = line.find('|', equals);
        const std::string replacement =
            line.substr(equals + 1, (bar == std::string::npos ? line.size() : bar) - equals - 1);
        EXPECT_TRUE(keys.insert(key).second) << "twice: " << line;
        // A key may hold a hyphen between letters (E-MAIL): the text
        // normalisation looks such words up whole.
        EXPECT_TRUE(key.front() != '-' && key.back() != '-') << line;
        for (const bool isKey : {true, false}) {
            const std::string &part = isKey ? key : replacement;
            ASSERT_FALSE(part.empty()) << line;
            for (const char c : part) {
                const auto code = static_cast<uint8_t>(c);
                EXPECT_TRUE((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || code >= 192 ||
                            (isKey && c == '-'))
                    << line;
            }
        }
    }
    ASSERT_TRUE(quelo::loadNrlExceptions(ShippedDir + "portug.exc"));
    EXPECT_EQ(quelo::nrlExceptionCount(), lines.size());
}

// Every phoneme the shipped rules give for the words below is in the set,
// and a few words of each kind come out as Brazilian speakers say them.
class QueloShipped : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(quelo::loadNrlRules(ShippedDir + "portug.nrl"));
        ASSERT_TRUE(quelo::loadNrlExceptions(ShippedDir + "portug.exc"));
    }
    void TearDown() override { quelo::freeNrlRules(); }

    // The phonemes of a word as the engine makes them, marks dropped.
    static std::string phonemes(const std::string &utf8) {
        const std::string word = quelo::lookupException(quelo::upperCased(cp(utf8)));
        const size_t stress = quelo::isUnstressedWord(word) ? 0 : quelo::findStress(word);
        Lines list;
        quelo::applyNrlRules(word, stress, list);
        std::string text;
        for (const std::string &line : list)
            if (!line.empty())
                text += (text.empty() ? "" : " ") + stripMarks(line);
        return text;
    }
};

TEST_F(QueloShipped, EveryLetterIsSpoken) {
    // Each letter alone and between vowels gives phonemes of the set (h is
    // silent, and so is u after q and g before e and i).
    const std::string letters = cp("abcdefghijklmnopqrstuvwxyzáâãàçéêíóôõúü");
    for (const char letter : letters) {
        for (const std::string &word :
             {std::string(1, letter), "a" + std::string(1, letter) + "a",
              std::string(1, letter) + "e", "i" + std::string(1, letter)}) {
            Lines list;
            quelo::applyNrlRules(quelo::upperCased(word), 1, list);
            size_t spoken = 0;
            for (const std::string &line : list) {
                if (line.empty())
                    continue;
                ++spoken;
                EXPECT_TRUE(phonemeSet().count(stripMarks(line)))
                    << "'" << line << "' in " << platform::cp1252ToUtf8(word);
            }
            if (letter != 'h') {
                EXPECT_GT(spoken, 0u) << platform::cp1252ToUtf8(word);
            }
        }
    }
}

TEST_F(QueloShipped, CommonWords) {
    const struct {
        const char *word;
        const char *phonemes;
    } cases[] = {
        {"casa", "k a z a"},       {"carro", "k a rr u"},
        {"caro", "k a r u"},       {"rua", "rr u a"},
        {"honra", "on rr a"},      {"porta", "p oo r2 t a"},
        {"mar", "m a r2"},         {"pasta", "p a s2 t a"},
        {"mas", "m a y s2"},       {"filho", "f i lh u"},
        {"senhor", "s e nh o r2"}, {"chave", "x a v i"},
        {"cidade", "s i d a d i"}, {"tia", "t i a"},
        {"noite", "n o y t i"},    {"sal", "s a w"},
        {"canto", "k an t u"},     {"cama", "k an m a"},
        {"mão", "m an w"},         {"mãe", "m an y"},
        {"põe", "p on y"},         {"bem", "b en y"},
        {"também", "t an b en y"}, {"falam", "f a l an w"},
        {"guerra", "g ee rr a"},   {"água", "a g w a"},
        {"quando", "k w an d u"},  {"que", "k i"},
        {"aqui", "a k i"},         {"peixe", "p e y x i"},
        {"exame", "e z an m i"},   {"táxi", "t a k s i"},
        {"caça", "k a s a"},       {"gente", "j en t i"},
        {"café", "k a f ee"},      {"avó", "a v oo"},
        {"avô", "a v o"},          {"você", "v o s e"},
        {"hoje", "o j i"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(phonemes(c.word), c.phonemes) << c.word;
}

// A stressed e before -ra, -ro and -re is open, but for the verb esperar's
// closed forms and tempero.
TEST_F(QueloShipped, OpenAndClosedEBeforeR) {
    const struct {
        const char *word;
        const char *phonemes;
    } cases[] = {
        {"quero", "k ee r u"},      {"prefere", "p r e f ee r i"}, {"espera", "e s2 p ee r a"},
        {"espero", "e s2 p e r u"}, {"espere", "e s2 p e r i"},    {"tempero", "t en p e r u"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(phonemes(c.word), c.phonemes) << c.word;
}

TEST_F(QueloShipped, SentencesJoinTheirWords) {
    // The last phoneme of each word of an utterance, marks dropped.
    const auto lastPhonemes = [](const Lines &patterns) {
        const Lines out = quelo::phonetise(patterns);
        std::string text;
        for (size_t i = 1; i < out.size(); ++i)
            if (out[i].empty() && !out[i - 1].empty() && out[i - 1][0] != ';')
                text += (text.empty() ? "" : " ") + stripMarks(out[i - 1]);
        return text;
    };
    // mar azul, os amigos, três amigos, faz amigos, mas eu, dar a, ser bom;
    // not before a stressed vowel (faz isso).
    EXPECT_EQ(lastPhonemes({"555|mar", "555|azul"}), "r w");
    EXPECT_EQ(lastPhonemes({"555|os", "555|amigos"}), "z s2");
    EXPECT_EQ(lastPhonemes({"555|" + cp("três"), "555|amigos"}), "z s2");
    EXPECT_EQ(lastPhonemes({"555|faz", "555|amigos"}), "z s2");
    EXPECT_EQ(lastPhonemes({"555|faz", "555|isso"}), "s2 u");
    EXPECT_EQ(lastPhonemes({"555|mas", "555|eu"}), "z w");
    EXPECT_EQ(lastPhonemes({"555|dar", "555|a"}), "r a");
    EXPECT_EQ(lastPhonemes({"555|ser", "555|bom"}), "r2 on");
    // A word of any length is read to its end.
    Lines list;
    quelo::applyNrlRules(std::string(20000, 'A'), 10000, list);
    EXPECT_EQ(list.size(), 20001u);
    EXPECT_EQ(list[9999], ">a");
}

TEST_F(QueloShipped, RespellingsKeepTheirSuffixes) {
    EXPECT_EQ(phonemes("pode"), "p oo d i");
    EXPECT_EQ(phonemes("podem"), "p oo d en y");
    EXPECT_EQ(phonemes("podes"), "p oo d i s2");
    EXPECT_EQ(phonemes("ideias"), "i d ee y a s2");
    EXPECT_EQ(phonemes("pela"), "p e l a");
    EXPECT_EQ(phonemes("janela"), "j a n ee l a");
}

} // namespace
