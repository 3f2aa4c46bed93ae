// Every word of the game's word list, as both voices say it with the shipped
// rules and respellings, against the tables in tests/golden/, which were
// written from the words' standard pronunciation. A rule change that alters
// a game word fails here with the word, the table's answer and the voice's.
// The everyday words of tests/golden/everyday_words.tsv, chosen for the traps
// of reading Portuguese, hold both voices to one table, stress included.
#include "platform/cp1252.h"
#include "tests/test_support.h"
#include "tradutor/diphone/translator.h"
#include "tradutor/quelo/engine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kSource = ZEB_SOURCE_DIR;

std::vector<std::string> lines(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    std::vector<std::string> result;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
    }
    return result;
}

// Blank-separated fields joined by single blanks.
std::string squeezed(const std::string &text) {
    std::istringstream fields(text);
    std::string result;
    for (std::string field; fields >> field;)
        result += (result.empty() ? "" : " ") + field;
    return result;
}

// word -> expected units, from "word<TAB>units[<TAB>note]" lines; "#" starts
// a comment line.
std::map<std::string, std::string> goldenTable(const std::string &name) {
    std::map<std::string, std::string> table;
    for (const std::string &line : lines(kSource + "/tests/golden/" + name)) {
        if (line.empty() || line[0] == '#')
            continue;
        const size_t tab = line.find('\t');
        EXPECT_NE(tab, std::string::npos) << name << ": " << line;
        const std::string word = line.substr(0, tab);
        const size_t noteTab = line.find('\t', tab + 1);
        const std::string units = line.substr(tab + 1, noteTab - tab - 1);
        EXPECT_TRUE(table.emplace(word, squeezed(units)).second)
            << name << ": " << word << " twice";
    }
    return table;
}

// Holds every word of the list to the table; `say` gives a word's units.
template <typename Say> void expectEveryGameWord(const std::string &tableName, Say say) {
    auto table = goldenTable(tableName);
    size_t words = 0;
    for (const std::string &word : lines(kSource + "/data/galdrino.pal")) {
        if (word.empty())
            continue;
        ++words;
        const auto expected = table.find(word);
        if (expected == table.end()) {
            ADD_FAILURE() << word << " is missing from " << tableName;
            continue;
        }
        EXPECT_EQ(say(word), expected->second) << word;
        table.erase(expected);
    }
    EXPECT_GE(words, 400u);
    for (const auto &[word, units] : table)
        ADD_FAILURE() << tableName << " holds " << word << ", which the word list does not";
}

// The groups the native synthesizer reads: brackets and unit separators out.
std::string nativeSays(const std::string &word) {
    std::string groups;
    for (const char c : diphone::translator::translateText(word))
        if (c != '[' && c != ']' && c != '/')
            groups += c;
    return squeezed(groups);
}

// The engine's phoneme names, pauses and comment lines out.
std::string engineSays(const std::string &word) {
    std::string names;
    for (const std::string &line : quelo::queloPipeline(word, quelo::Stage::Phonemes)) {
        if (line.empty() || line[0] == ';' || line == "__")
            continue;
        names += ' ';
        for (const char c : line)
            if (c != '\xa8') // the mark that ends a stressed vowel's lengthening
                names += c;
    }
    return squeezed(names);
}

TEST(GameWords, NativeVoiceSaysEachAsItsTable) {
    namespace tr = diphone::translator;
    ASSERT_TRUE(tr::loadRules(kSource + "/data/voice/regras.rgr"));
    ASSERT_TRUE(tr::loadExceptions(kSource + "/data/voice/portug.exc"));
    expectEveryGameWord("game_words_native.tsv", nativeSays);
    tr::freeRules();
}

// Words outside the game's list. Most take their open or closed e and o from
// the ending after them: an ending rule must not reach a vowel before the
// stressed syllable (voltou, versão), nor the comparatives' closed cousins.
// The last ones are respellings of an x said ks.
TEST(GameWords, NativeVoiceSaysWordsOutsideTheList) {
    namespace tr = diphone::translator;
    ASSERT_TRUE(tr::loadRules(kSource + "/data/voice/regras.rgr"));
    ASSERT_TRUE(tr::loadExceptions(kSource + "/data/voice/portug.exc"));
    const struct {
        const char *word, *units;
    } cases[] = {
        {"volta", "[ v/O/w/ t/a]"},
        {"voltam", "[ v/O/w/ t/a~w]"},
        {"voltou", "[ v/o^/w/ t/O^/w]"},
        {"conversa", "[ k/o~/ v/E/rr/ s/a]"},
        {"convers\xe3o", "[ k/o~/ v/e^/rr/ s/A~w]"},
        {"certo", "[ s/E/rr/ t/u]"},
        {"acertou", "[a/ s/e^/rr/ t/O^/w]"},
        {"chef\xe3o", "[ x/e^/ f/A~w]"},
        {"maior", "[ m/a/y/O/rr]"},
        {"interior", "[i~/ t/e^/ r/i/O^/rr]"},
        {"melhores", "[ m/e^/ lh/O/ r/i/s]"},
        {"piores", "[ p/i/O/ r/i/s]"},
        {"ordem", "[O/rr/ d/e~y]"},
        {"espera", "[e^/s/ p/E/ r/a]"},
        {"espero", "[e^/s/ p/E^/ r/u]"},
        {"tempero", "[ t/e~/ p/E^/ r/u]"},
        {"sexos", "[ s/E/ k/ s/u/s]"},
        {"conex\365es", "[ k/o^/ n/e^/ k/ s/O~y/s]"}, // õ, in octal: e is a hex digit
        {"fixo", "[ f/I/ k/ s/u]"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(tr::translateText(c.word), c.units) << c.word;
    tr::freeRules();
}

// ---- everyday words: one table, both voices ----

// The phonemes of tests/golden/everyday_words.tsv, as the engine names them,
// in the native voice's groups: a consonant that begins a syllable starts a
// group (the r or l of a cluster does not); r2 is rr and s2 is s, or z
// before a voiced consonant; a closed e or o is e^ o^, an open one e o; a
// nasal vowel takes ~; the stressed vowel is upper case; t and d before an i
// are tch and dj.
std::string nativeGroups(const std::string &phonemes) {
    static const std::map<std::string, std::string> vowels = {
        {"a", "a"}, {"e", "e^"},  {"ee", "e"},  {"i", "i"},   {"o", "o^"},  {"oo", "o"},
        {"u", "u"}, {"an", "a~"}, {"en", "e~"}, {"in", "i~"}, {"on", "o~"}, {"un", "u~"},
    };
    static const std::set<std::string> voiced = {"b", "d", "g", "l", "m", "n", "v"};
    std::vector<std::string> names;
    std::istringstream fields(phonemes);
    for (std::string name; fields >> name;)
        names.push_back(name);
    std::string groups;
    bool afterConsonant = false;
    for (size_t i = 0; i < names.size(); ++i) {
        const bool stressed = names[i][0] == '>';
        const std::string name = stressed ? names[i].substr(1) : names[i];
        const std::string next = i + 1 < names.size() ? names[i + 1] : "";
        const auto vowel = vowels.find(name);
        if (vowel != vowels.end()) {
            std::string unit = vowel->second;
            if (stressed)
                unit[0] = static_cast<char>(unit[0] - 'a' + 'A');
            groups += unit;
        } else if (name == "y" || name == "w" || name == "r2" || name == "s2") {
            groups += name == "r2" ? "rr" : name == "s2" ? (voiced.count(next) ? "z" : "s") : name;
        } else if (name == "t" && next == "x") {
            groups += " tch"; // tchau
            ++i;
        } else if (afterConsonant && (name == "r" || name == "l")) {
            groups += name;
        } else {
            const bool beforeI = next == "i" || next == ">i" || next == "in" || next == ">in";
            groups += " " + (beforeI && name == "t" ? "tch" : beforeI && name == "d" ? "dj" : name);
        }
        afterConsonant =
            vowel == vowels.end() && name != "y" && name != "w" && name != "r2" && name != "s2";
    }
    return squeezed(groups);
}

// word -> phonemes of a table of "word<TAB>phonemes[<TAB>note]" lines.
std::map<std::string, std::string> everydayWords() {
    auto table = goldenTable("everyday_words.tsv");
    EXPECT_GE(table.size(), 300u);
    return table;
}

// The engine's shipped rules and respellings; the phonemes do not depend on
// the voice's diphones, so the diphone list is a bare one in `dir`.
bool loadShippedEngineData(test_support::TempDir &dir) {
    test_support::writeFile(dir.file("portug.dfn"), "_ _\r\n");
    const std::string data = kSource + "/data/quelo/";
    return quelo::queloLoadData(data + "portug.nrl", data + "portug.exc", data + "portug.abr",
                                data + "portug.pro", dir.file("portug.dfn"));
}

TEST(EverydayWords, NativeVoiceSaysEachAsTheTable) {
    namespace tr = diphone::translator;
    ASSERT_TRUE(tr::loadRules(kSource + "/data/voice/regras.rgr"));
    ASSERT_TRUE(tr::loadExceptions(kSource + "/data/voice/portug.exc"));
    for (const auto &[word, phonemes] : everydayWords())
        EXPECT_EQ(nativeSays(platform::utf8ToCp1252(word)), nativeGroups(phonemes))
            << word << ": " << phonemes;
    tr::freeRules();
}

TEST(EverydayWords, BuiltInEngineSaysEachAsTheTable) {
    test_support::TempDir dir;
    ASSERT_TRUE(loadShippedEngineData(dir));
    for (const auto &[word, phonemes] : everydayWords())
        EXPECT_EQ(engineSays(platform::utf8ToCp1252(word)), phonemes) << word;
}

// Loanwords written with a hyphen reach the respellings whole (a token holds
// letters only); their plurals keep the s; other hyphenated words are read
// as their parts.
TEST(EverydayWords, BuiltInEngineRespellsHyphenatedLoanwords) {
    test_support::TempDir dir;
    ASSERT_TRUE(loadShippedEngineData(dir));
    const struct {
        const char *text, *phonemes;
    } cases[] = {
        {"e-mail", "e m >e y w"},
        {"E-mails", "e m >e y w s2"},
        {"Wi-Fi", "w a y f >a y"},
        {"shopping", "x >oo p in"},
        {"guarda-chuva", "g w >a r2 d a x >u v a"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(engineSays(c.text), c.phonemes) << c.text;
}

TEST(GameWords, BuiltInEngineSaysEachAsItsTable) {
    test_support::TempDir dir;
    ASSERT_TRUE(loadShippedEngineData(dir));
    expectEveryGameWord("game_words_quelo.tsv", engineSays);
}

} // namespace
