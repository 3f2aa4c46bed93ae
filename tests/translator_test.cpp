// The letter-to-sound translator: accent table, normalisation, word reading,
// stress, respellings, spelled words, the rule contexts, the loaders' answers
// to bad files and a sample of real words on the shipped rules.
#include "tests/test_support.h"
#include "tradutor/diphone/translator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

namespace tr = diphone::translator;
using test_support::TempDir;

tr::Word wordOf(const std::string &letters) {
    tr::Word word;
    word.letters = letters;
    for (const char c : letters)
        if (std::string("aeiouAEIOU").find(c) != std::string::npos)
            ++word.vowelCount;
    return word;
}

// Loads `rules` (and `exceptions`) written to a temporary directory.
class Loaded {
public:
    explicit Loaded(const std::string &rules, const std::string &exceptions = "") {
        test_support::writeFile(dir_.file("regras.rgr"), rules);
        test_support::writeFile(dir_.file("portug.exc"), exceptions);
        rulesLoaded_ = tr::loadRules(dir_.file("regras.rgr"));
        exceptionsLoaded_ = tr::loadExceptions(dir_.file("portug.exc"));
    }
    ~Loaded() { tr::freeRules(); }
    bool ok() const { return rulesLoaded_ && exceptionsLoaded_; }

private:
    TempDir dir_;
    bool rulesLoaded_ = false;
    bool exceptionsLoaded_ = false;
};

// One rule for b under test, then "(B)=0" and a plain rule for every other
// letter and mark, so that each position shows which rule won.
std::string rulesWith(const std::string &rule) {
    std::string rules = rule + "\r\n(B)=0\r\n";
    for (char c = 'A'; c <= 'Z'; ++c)
        if (c != 'B')
            rules += std::string("(") + c + ")=" + static_cast<char>(c - 'A' + 'a') + "\r\n";
    return rules + "(')='\r\n(^)=^\r\n";
}

// ---- accent table and normalisation ----

TEST(Translator, AccentTableReplacesWindowsAndDosLetters) {
    const struct {
        int code;
        const char *replacement;
    } cases[] = {
        {225, "a'"}, {160, "a'"}, {226, "a^"},   {224, "a`"},   {227, "a~"},   {132, "a~"},
        {229, "a"},  {230, "ae"}, {233, "e'"},   {234, "e^"},   {235, "e\""},  {237, "i'"},
        {243, "o'"}, {244, "o^"}, {245, "o~"},   {246, "o`"},   {250, "u'"},   {129, "u\""},
        {252, "u"},  {241, "nh"}, {164, "nh"},   {231, "ss"},   {199, "ss"},   {128, "ss"},
        {135, "ss"}, {215, "x"},  {248, "0"},    {152, "y-"},   {146, "-"},    {173, "!"},
        {191, "?"},  {174, "\""}, {167, "\xa7"}, {171, "\xaa"}, {187, "\xba"}, {155, ""},
        {208, ""},   {255, ""},   {65, ""},      {0, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(tr::accentTable(static_cast<uint8_t>(c.code)), c.replacement) << c.code;
    for (int code = 128; code < 256; ++code)
        EXPECT_LE(tr::accentTable(static_cast<uint8_t>(code)).size(), 2u) << code;
}

TEST(Translator, NormalisationMapsLettersMarksAndUnknownCharacters) {
    const struct {
        std::string text;
        std::string normal;
    } cases[] = {
        {"Wagner", "uagner"},
        {"kiwi", "kiui"},
        {"w", "w"},
        {"a y b", "a y b"},
        {"Yara", "iara"},
        {"d'\xe1gua", "da'gua"},
        {"D'Ouro", "DOuro"},
        {"o'", "o'"},
        {"cora\xe7\xe3o", "corassa~o"},
        {"\xc7", "ss"},
        {"a\tb", "a \x01 b"},
        {"\x9b", " \x01 "},
        {std::string("a\0b", 3), "a \x01 b"},
        {"\xa7", "\xa7"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(tr::normalizeText(c.text), c.normal) << c.text;
}

// ---- words ----

TEST(Translator, WordsAreRunsOfLettersAndMarksOrOneOtherCharacter) {
    const std::string text = "  Caf\xe9 u\" (Brr ";
    const std::string normal = tr::normalizeText(text);
    size_t position = 0;
    tr::Word word;
    const struct {
        const char *letters;
        size_t vowels;
        bool accent;
    } expected[] = {{"cafe'", 2, true}, {"u\"", 1, false}, {"(", 0, false}, {"brr", 0, false}};
    for (const auto &e : expected) {
        ASSERT_TRUE(tr::nextWord(normal, position, word));
        EXPECT_EQ(word.letters, e.letters);
        EXPECT_EQ(word.vowelCount, e.vowels) << e.letters;
        EXPECT_EQ(word.explicitAccent, e.accent) << e.letters;
    }
    EXPECT_FALSE(tr::nextWord(normal, position, word));
}

TEST(Translator, AWordLongerThanTheBufferContinuesAsTheNextWord) {
    const std::string text(300, 'a');
    size_t position = 0;
    tr::Word word;
    ASSERT_TRUE(tr::nextWord(text, position, word));
    EXPECT_EQ(word.letters.size(), tr::MaxWordLength);
    ASSERT_TRUE(tr::nextWord(text, position, word));
    EXPECT_EQ(word.letters.size(), 300 - tr::MaxWordLength);
    EXPECT_FALSE(tr::nextWord(text, position, word));
}

// ---- stress ----

TEST(Translator, StressMarksOneVowelByTheWordsEnding) {
    const struct {
        const char *word;
        const char *marked;
    } cases[] = {
        {"papel", "papEl"},     // ends in l: state 1
        {"casa", "cAsa"},       // ends in a vowel: states 5 and 6
        {"rainha", "raInha"},   // i before nh: state 8
        {"cadeira", "cadEira"}, // state 8 back to 6
        {"familia", "familIa"}, // i after a consonant: state 8 to 7
        {"jardim", "jardIm"},   // ends in m: states 2, 3 and 7
        {"falam", "fAlam"},     // -am: state 2 to 5
        {"bombom", "bombOm"},   // -om: state 2 to 6
        {"lapis", "lapIs"},     // ends in s: states 4, 3 and 7
        {"casas", "cAsas"},     // states 4, 5 and 6
        {"tatu", "tatU"},       // ends in u: states 3 and 7
        {"ruim", "rUim"},       // a vowel before the final i: state 3 to 6
        {"quase", "quAse"},     // state 5 to 6
        {"mel", "mEl"},         // one vowel, ends in l
        {"mar", "mar"},         // one vowel
        {"ela", "ela"},         // the decision falls on the first letter
        {"onda", "onda"},       {"uma", "uma"}, {"brr", "brr"}, // no vowel
        {"bOla", "bOla"}, // a respelling's own mark stays alone
    };
    for (const auto &c : cases) {
        tr::Word word = wordOf(c.word);
        tr::markStress(word);
        EXPECT_EQ(word.letters, c.marked) << c.word;
    }
    tr::Word accented = wordOf("cafe'");
    accented.explicitAccent = true;
    tr::markStress(accented);
    EXPECT_EQ(accented.letters, "cafe'");
}

// ---- spelled words ----

TEST(Translator, WordsWithoutVowelsAndUnknownCharactersAreSpelled) {
    const Loaded loaded("(B)=b\r\n");
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(tr::translateText("brr"), "[ /_b][ /_r][ /_r]");
    EXPECT_EQ(tr::translateText("Sr"), "[ /_s][ /_r]");
    EXPECT_EQ(tr::translateText("y"), "[ /_y]");
    EXPECT_EQ(tr::translateText(","), "[ /_,]");
    EXPECT_EQ(tr::translateText("\x02"), "[ /_\x01]");
    EXPECT_EQ(tr::translateText("ba"), "[b/ /_A]");
    EXPECT_FALSE(tr::isSpelledWord(wordOf("(")));
    EXPECT_EQ(tr::translateText("("), "[ /_(]");
}

// ---- rule contexts ----

struct ContextCase {
    const char *rule;
    const char *word;
    bool matches;
};

TEST(Translator, EveryContextSymbolMatchesItsClass) {
    const ContextCase cases[] = {
        // left: one or more vowels or marks
        {"#(B)=1", "ab", true},
        {"#(B)=1", "a'b", true},
        {"#(B)=1", "tb", false},
        {"#(B)=1", "b", false},
        {"T#(B)=1", "taeb", true},
        {"T#(B)=1", "aeb", false},
        // left: word start
        {"%(B)=1", "b", true},
        {"%(B)=1", "ab", false},
        // left: a back vowel, or a mark after one
        {"](B)=1", "ab", true},
        {"](B)=1", "ob", true},
        {"](B)=1", "eb", false},
        {"](B)=1", "a'b", true},
        {"](B)=1", "e'b", false},
        {"T](B)=1", "ta'b", true},
        {"](B)=1", "b", false},
        // left: word start, a vowel, or a mark after a vowel
        {"_(B)=1", "b", true},
        {"_(B)=1", "eb", true},
        {"_(B)=1", "e'b", true},
        {"_(B)=1", "tb", false},
        {"T_(B)=1", "teb", true},
        {"T_(B)=1", "te'b", true},
        // left: n, r or s
        {"|(B)=1", "nb", true},
        {"|(B)=1", "rb", true},
        {"|(B)=1", "sb", true},
        {"|(B)=1", "tb", false},
        {"|(B)=1", "b", false},
        {"A|(B)=1", "asb", true},
        // left: a plain letter
        {"T(B)=1", "tb", true},
        {"T(B)=1", "ab", false},
        {"t(B)=1", "tb", false},
        // right: one or more vowels or marks
        {"(B)#=1", "ba", true},
        {"(B)#=1", "bt", false},
        {"(B)#=1", "b", false},
        {"(B)#T=1", "baet", true},
        {"(B)#T=1", "ba't", true},
        {"(B)#T=1", "ba", false},
        // right: word end
        {"(B)%=1", "b", true},
        {"(B)%=1", "ba", false},
        // right: l, m, n, r or z
        {"(B)&=1", "bl", true},
        {"(B)&=1", "bm", true},
        {"(B)&=1", "bn", true},
        {"(B)&=1", "br", true},
        {"(B)&=1", "bz", true},
        {"(B)&=1", "bt", false},
        {"(B)&=1", "b", false},
        {"(B)&A=1", "bla", true},
        // right: a consonant other than r and l, the cursor staying on it
        {"(B)*=1", "bt", true},
        {"(B)*=1", "br", false},
        {"(B)*=1", "bl", false},
        {"(B)*=1", "ba", false},
        {"(B)*=1", "b", false},
        {"(B)*T=1", "bt", true},
        // right: a front vowel, optionally with its mark
        {"(B)+=1", "be", true},
        {"(B)+=1", "bi", true},
        {"(B)+=1", "ba", false},
        {"(B)+=1", "b", false},
        {"(B)+S=1", "bes", true},
        {"(B)+S=1", "be's", true},
        // right: word end or a consonant other than h, the cursor staying
        {"(B)[=1", "b", true},
        {"(B)[=1", "bt", true},
        {"(B)[=1", "bh", false},
        {"(B)[=1", "ba", false},
        {"(B)[T=1", "bt", true},
        // right: an optional s
        {"(B)\\=1", "ba", true},
        {"(B)\\%=1", "bs", true},
        {"(B)\\%=1", "b", true},
        {"(B)\\%=1", "bsa", false},
        // right: a plain letter; lower case never matches
        {"(B)A=1", "ba", true},
        {"(B)A=1", "bo", false},
        {"(B)a=1", "ba", false},
        // symbols on the side where they mean nothing are plain characters
        {"&(B)=1", "lb", false},
        {"(B)|=1", "bn", false},
        {"+(B)=1", "eb", false},
        {"(B)]=1", "ba", false},
    };
    for (const auto &c : cases) {
        const Loaded loaded(rulesWith(c.rule));
        ASSERT_TRUE(loaded.ok());
        const std::string units = tr::applyRules(wordOf(c.word));
        const bool won = units.find('1') != std::string::npos;
        EXPECT_EQ(won, c.matches) << c.rule << " on " << c.word << ": " << units;
    }
}

TEST(Translator, RulesConsumeTheirCentreAndTheFirstMatchWins) {
    const Loaded loaded("(BA)=1|two letters\r\n(B)=2\r\n(B)=3\r\n(A)=a\r\n(O)=ow\r\n(T)=\r\n");
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(tr::applyRules(wordOf("baba")), "[1/1]");
    EXPECT_EQ(tr::applyRules(wordOf("bb")), "[2/2]");
    EXPECT_EQ(tr::applyRules(wordOf("b")), "[2]");
    // A stressed vowel upper-cases the first vowel of its unit.
    EXPECT_EQ(tr::applyRules(wordOf("Oa")), "[Ow/a]");
    // No rule: the letter's fallback unit; an empty output is an empty unit.
    EXPECT_EQ(tr::applyRules(wordOf("xta")), "[ /_X//a]");
    EXPECT_EQ(tr::applyRules(wordOf("E")), "[ /_E]");
    EXPECT_EQ(tr::applyRules(wordOf("")), "[]");
}

// ---- rule file ----

TEST(Translator, RuleLinesAreCutIntoTheirFields) {
    const Loaded loaded("(BBBBBBB)=long\r\n"
                        "(C)= k k |comment\r\n"
                        "(D)=abcdefghijklmnop\r\n"
                        "(F)G\r\n"
                        "(GH\r\n"
                        "AAAAAAA(H)=h\r\n");
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(tr::ruleCount(), 6u);
    EXPECT_EQ(tr::applyRules(wordOf("bbbbb")), "[long]");
    EXPECT_EQ(tr::applyRules(wordOf("c")), "[ k k ]");
    EXPECT_EQ(tr::applyRules(wordOf("d")), "[abcdefghijk]");
    EXPECT_EQ(tr::applyRules(wordOf("fg")), "[/ /_G]");
    EXPECT_EQ(tr::applyRules(wordOf("gh")), "[]");
    EXPECT_EQ(tr::applyRules(wordOf("aaaaah")), "[ /_A/ /_A/ /_A/ /_A/ /_A/h]");
    const std::vector<std::string> outputs = tr::ruleOutputs();
    EXPECT_EQ(outputs, (std::vector<std::string>{"", " k k ", "abcdefghijk", "h", "long"}));
}

TEST(Translator, LinesThatMakeNoRuleAreSkipped) {
    const Loaded loaded("no parenthesis=x\r\n"
                        "()=empty centre\r\n"
                        "(~)=outside the chains\r\n"
                        "(\x80)=outside the chains\r\n"
                        "\r\n"
                        "(B)=b\r\n");
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(tr::ruleCount(), 1u);
    EXPECT_EQ(tr::applyRules(wordOf("b~")), "[b/ /_~]");
}

TEST(Translator, ARuleBlockResumedLaterStaysInItsOwnChain) {
    const Loaded loaded("(B)T=1\n(C)=c\n(B)=2\n");
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(tr::applyRules(wordOf("bc")), "[2/c]");
}

TEST(Translator, MissingFilesAreReported) {
    TempDir dir;
    test_support::writeFile(dir.file("regras.rgr"), "(B)=b\r\n");
    test_support::writeFile(dir.file("portug.exc"), "casa=kasa\r\n");
    ASSERT_TRUE(tr::loadRules(dir.file("regras.rgr")));
    ASSERT_TRUE(tr::loadExceptions(dir.file("portug.exc")));
    EXPECT_EQ(tr::exceptionCount(), 1u);
    // Loading rules empties the exceptions, even when the file is missing.
    EXPECT_FALSE(tr::loadRules(dir.file("nada.rgr")));
    EXPECT_EQ(tr::ruleCount(), 0u);
    EXPECT_EQ(tr::exceptionCount(), 0u);
    EXPECT_FALSE(tr::loadExceptions(dir.file("nada.exc")));
    EXPECT_FALSE(tr::loadRules(dir.path()));
}

// ---- exceptions ----

TEST(Translator, ExceptionsReplaceWordsAndKeepStrippedEndings) {
    const Loaded loaded("", "casa=kaza|house\r\n"
                            "ontem=Ontein\r\n"
                            "bem=bein\n"
                            "\r\n"
                            "tchau\r\n"
                            "item=first\r\n"
                            "item=second\r\n");
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(tr::exceptionCount(), 6u);
    const struct {
        const char *word;
        const char *replaced;
    } cases[] = {
        {"casa", "kaza"},    {"casas", "kazas"}, {"ontem", "Ontein"}, {"bems", "beins"},
        {"bemsm", "beinsm"}, {"casam", "kazam"}, {"coisa", "coisa"},  {"s", "s"},
        {"tchau", "tchau"},  {"item", "first"},  {"sms", "sms"},
    };
    for (const auto &c : cases) {
        tr::Word word = wordOf(c.word);
        tr::applyExceptions(word);
        EXPECT_EQ(word.letters, c.replaced) << c.word;
    }
    // A line without "=" holds the word followed by "|", with no replacement.
    tr::Word bar = wordOf("tchau|");
    tr::applyExceptions(bar);
    EXPECT_EQ(bar.letters, "");
}

TEST(Translator, ARespellingsStressMarkIsKept) {
    const Loaded loaded("(A)=a\r\n(O)=o\r\n(B)=b\r\n(L)=l\r\n(M)=m\r\n", "bola=bOla\r\n");
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(tr::translateText("bola"), "[b/O/l/a]");
    EXPECT_EQ(tr::translateText("BOLAS"), "[b/O/l/a/ /_S]");
    EXPECT_EQ(tr::translateText("lama"), "[l/A/m/a]");
}

TEST(Translator, ExceptionFilesAreBounded) {
    std::string many;
    for (size_t i = 0; i <= tr::MaxExceptions; ++i)
        many += "w" + std::to_string(100000 + i) + "=x\r\n";
    {
        const Loaded loaded("", many);
        ASSERT_TRUE(loaded.ok());
        EXPECT_EQ(tr::exceptionCount(), tr::MaxExceptions);
    }
    const std::string longWord(300, 'a');
    const Loaded loaded("(A)=a\r\n", longWord + "=b\r\nab=" + std::string(400, 'c') + "\r\n");
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(tr::exceptionCount(), 2u);
    tr::Word word = wordOf(longWord.substr(0, tr::MaxLineLength));
    tr::applyExceptions(word);
    EXPECT_EQ(word.letters, longWord.substr(0, tr::MaxLineLength));
    tr::Word ab = wordOf("ab");
    tr::applyExceptions(ab);
    EXPECT_EQ(ab.letters, std::string(tr::MaxLineLength - 3, 'c'));
    // A long replacement followed by the stripped ending keeps the buffer's size.
    tr::Word abs = wordOf("ab" + std::string(200, 's'));
    tr::applyExceptions(abs);
    EXPECT_EQ(abs.letters, std::string(tr::MaxLineLength - 3, 'c') + "sss");
}

// ---- bad input ----

TEST(Translator, AnyTextTranslatesToWellFormedWords) {
    const Loaded loaded(rulesWith("(B)=b"));
    ASSERT_TRUE(loaded.ok());
    std::string every;
    for (int code = 0; code < 256; ++code)
        every += static_cast<char>(code);
    for (const std::string &text : {every, std::string(1000, 'b') + "a", std::string(600, 'a')}) {
        const std::string phonemes = tr::translateText(text);
        int depth = 0;
        for (size_t i = 0; i < phonemes.size(); ++i) {
            const char c = phonemes[i];
            if (c == '_') // a letter unit: the character after it is the letter
                ++i;
            depth += c == '[' ? 1 : c == ']' ? -1 : 0;
            ASSERT_GE(depth, 0);
            ASSERT_LE(depth, 1);
        }
        EXPECT_EQ(depth, 0);
        EXPECT_FALSE(phonemes.empty());
    }
    EXPECT_EQ(tr::translateText(""), "");
    EXPECT_EQ(tr::translateText("   "), "");
}

// ---- the shipped rules and respellings ----

TEST(Translator, ShippedRulesSpeakCommonWords) {
    // The rule files as shipped, from the sources: no generated data needed.
    const std::string dir = ZEB_SOURCE_DIR "/data/voice/";
    ASSERT_TRUE(tr::loadRules(dir + "regras.rgr"));
    ASSERT_TRUE(tr::loadExceptions(dir + "portug.exc"));
    const struct {
        const char *text;
        const char *phonemes;
    } cases[] = {
        {"casa", "[ k/A/ z/a]"},
        {"carro", "[ k/A/ rr/u]"},
        {"rua", "[ rr/u/a]"},
        {"caro", "[ k/A/ r/u]"},
        {"honra", "[/O~/ rr/a]"},
        {"filho", "[ f/I/ lh/u]"},
        {"senhor", "[ s/e^/ nh/O^/rr]"},
        {"chave", "[ x/A/ v/i]"},
        {"cedo", "[ s/E^/ d/u]"},
        {"gato", "[ g/A/ t/u]"},
        {"guerra", "[ g/E/ rr/a]"},
        {"aguentar", "[a/ gw/e~/ t/A/rr]"},
        {"\xe1"
         "gua",
         "[A/ gw/a]"},
        {"quando", "[ kw/A~/ d/u]"},
        {"que", "[ k/i]"},
        {"aqui", "[a/ k/i]"},
        {"cidade", "[ s/i/ d/A/ dj/i]"},
        {"noite", "[ n/O^/y/ tch/i]"},
        {"tarde", "[ t/A/rr/ dj/i]"},
        {"dia", "[ dj/i/a]"},
        {"mesmo", "[ m/E^/z/ m/u]"},
        {"isso", "[i/ s/u]"},
        {"exato", "[e^/ z/A/ t/u]"},
        {"caixa", "[ k/A/y/ x/a]"},
        {"texto", "[ t/E^/s/ t/u]"},
        {"hoje", "[/O^/ j/i]"},
        {"papel", "[ p/a/ p/E/w]"},
        {"fazer", "[ f/a/ z/E^/rr]"},
        {"irm\xe3"
         "o",
         "[i/rr/ m/A~w]"},
        {"m\xe3"
         "e",
         "[ m/A~y]"},
        {"p\xf5"
         "e",
         "[ p/O~y]"},
        {"bom", "[ b/o~]"},
        {"tamb\xe9"
         "m",
         "[ t/a~/ b/E~y]"},
        {"falam", "[ f/A/ l/a~w]"},
        {"ontem", "[o~/ t/e~y]"},
        {"muito", "[ m/U~/y/ t/u]"},
        {"muitos", "[ m/U~/y/ t/u/s]"},
        {"voc\xea", "[ v/o^/ s/E^]"},
        {"tr\xea"
         "s",
         "[ t/r/E^y/s]"},
        {"porta", "[ p/O/rr/ t/a]"},
        {"bola", "[ b/O/ l/a]"},
        {"janela", "[ j/a/ n/E/ l/a]"},
        {"ningu\xe9"
         "m",
         "[ n/i~/ g/E~y]"},
        {"jardim", "[ j/a/rr/ dj/I~]"},
        {"cama", "[ k/A~/ m/a]"},
        {"uma", "[u~/ m/a]"},
        {"campo", "[ k/A~/ p/u]"},
        {"mundo", "[ m/U~/ d/u]"},
        {"sempre", "[ s/E~/ p/r/i]"},
        {"tio", "[ tch/i/u]"},
        {"advogado", "[a/ dji/ v/o^/ g/A/ d/u]"},
        {"nascer", "[ n/a/ s/E^/rr]"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(tr::translateText(c.text), c.phonemes) << c.text;
    tr::freeRules();
}

} // namespace
