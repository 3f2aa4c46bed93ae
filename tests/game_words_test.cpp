// Every word of the game's word list, as both voices say it with the shipped
// rules and respellings, against the tables in tests/golden/, which were
// written from the words' standard pronunciation. A rule change that alters
// a game word fails here with the word, the table's answer and the voice's.
#include "tests/test_support.h"
#include "tradutor/diphone/translator.h"
#include "tradutor/quelo/engine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
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

TEST(GameWords, NativeVoiceSaysEachAsItsTable) {
    namespace tr = diphone::translator;
    ASSERT_TRUE(tr::loadRules(kSource + "/data/voice/regras.rgr"));
    ASSERT_TRUE(tr::loadExceptions(kSource + "/data/voice/portug.exc"));
    // The groups the synthesizer reads: brackets and unit separators out.
    expectEveryGameWord("game_words_native.tsv", [](const std::string &word) {
        std::string groups;
        for (const char c : tr::translateText(word))
            if (c != '[' && c != ']' && c != '/')
                groups += c;
        return squeezed(groups);
    });
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

TEST(GameWords, BuiltInEngineSaysEachAsItsTable) {
    test_support::TempDir dir;
    // The phonemes do not depend on the voice's diphones.
    test_support::writeFile(dir.file("portug.dfn"), "_ _\r\n");
    const std::string data = kSource + "/data/quelo/";
    ASSERT_TRUE(quelo::queloLoadData(data + "portug.nrl", data + "portug.exc", data + "portug.abr",
                                     data + "portug.pro", dir.file("portug.dfn")));
    expectEveryGameWord("game_words_quelo.tsv", [](const std::string &word) {
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
    });
}

} // namespace
