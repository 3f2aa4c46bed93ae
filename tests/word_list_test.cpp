// The word list's two formats and encodings, the letters of accented words
// and the UTF-8 check they rest on.
#include "game/letters.h"
#include "game/word_list.h"
#include "platform/cp1252.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using game::WordListFormat;
using game::WordListResult;
using namespace std::string_literals;

TEST(Letters, PlainAndCapitalForms) {
    struct Case {
        uint8_t c, plain, upper;
    } cases[] = {
        {'a', 'A', 'A'},
        {'Z', 'Z', 'Z'},
        {0xE1, 'A', 0xC1},
        {0xC0, 'A', 0xC0},
        {0xE2, 'A', 0xC2},
        {0xE3, 'A', 0xC3},
        {0xE9, 'E', 0xC9},
        {0xEA, 'E', 0xCA},
        {0xED, 'I', 0xCD},
        {0xF3, 'O', 0xD3},
        {0xF4, 'O', 0xD4},
        {0xF5, 'O', 0xD5},
        {0xFA, 'U', 0xDA},
        {0xFC, 'U', 0xDC},
        {0xE7, 'C', 0xC7},
        {0xC7, 'C', 0xC7},
        // not Portuguese letters, or no letters at all
        {0xE8, 0, 0xE8},
        {0xF1, 0, 0xF1},
        {0xE4, 0, 0xE4},
        {'-', 0, '-'},
        {' ', 0, ' '},
        {'1', 0, '1'},
        {0xF7, 0, 0xF7},
        {0xD7, 0, 0xD7},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(game::plainLetter(c.c), c.plain) << int(c.c);
        EXPECT_EQ(game::upperLetter(c.c), c.upper) << int(c.c);
    }
}

TEST(Utf8Check, WellFormedAndBrokenTexts) {
    struct Case {
        std::string text;
        bool valid;
    } cases[] = {
        {"", true},
        {"CASA", true},
        {"ma\xc3\xa7\xc3\xa3", true},
        {"\xe2\x82\xac 10", true},
        {"\xf0\x9f\x98\x80", true},
        {"ma\xe7\xe3", false},       // Windows-1252
        {"\xc3", false},             // cut short
        {"\xc0\xaf", false},         // overlong
        {"\xe0\x80\xaf", false},     // overlong
        {"\xed\xa0\x80", false},     // a surrogate
        {"\xf4\x90\x80\x80", false}, // beyond U+10FFFF
        {"\xc3\xa7\xa7", false},     // a stray continuation byte
    };
    for (const auto &c : cases) {
        platform::Utf8Check check;
        for (const char byte : c.text)
            check.feed(static_cast<uint8_t>(byte));
        EXPECT_EQ(check.valid(), c.valid) << c.text;
    }
    EXPECT_EQ(platform::textToCp1252("\xef\xbb\xbfp\xc3\xa3o"), "p\xe3o");
    EXPECT_EQ(platform::textToCp1252("p\xc3\xa3o"), "p\xe3o");
    EXPECT_EQ(platform::textToCp1252("p\xe3o"), "p\xe3o");
}

struct Read {
    WordListResult result;
    game::WordTable table;
};

Read readAccented(const std::string &text) {
    Read read;
    read.result = game::readWordListText(text, read.table, WordListFormat::Accented);
    return read;
}

std::vector<std::string> wordsOf(const game::WordTable &table) {
    return {table.words.begin(), table.words.begin() + table.count};
}

TEST(AccentedWordList, WordsCommentsBlanksAndCategories) {
    const std::string utf8 = "\xef\xbb\xbf# Lista da turma\r\n"
                             "\r\n"
                             "   \r\n"
                             "  ma\xc3\xa7\xc3\xa3  \r\n"
                             "[ Frutas ]\r\n"
                             "Cora\xc3\xa7\xc3\xa3o\r\n"
                             "\tguarda-chuva\t\r\n"
                             "[Animais]\r\n"
                             "#   comentario\r\n"
                             "p\xc3\xa9 de moleque\n"
                             "[Vazia]\n";
    const Read read = readAccented(utf8);
    ASSERT_EQ(read.result, WordListResult::Loaded);
    EXPECT_EQ(wordsOf(read.table), (std::vector<std::string>{"MA\xc7\xc3", "CORA\xc7\xc3O",
                                                             "GUARDA-CHUVA", "P\xc9 DE MOLEQUE"}));
    EXPECT_EQ(read.table.categoryNames, (std::vector<std::string>{"Frutas", "Animais"}));
    EXPECT_EQ(read.table.categories[0], game::NoCategory);
    EXPECT_EQ(read.table.categories[1], 0);
    EXPECT_EQ(read.table.categories[2], 0);
    EXPECT_EQ(read.table.categories[3], 1);

    // The same list in Windows-1252 reads the same.
    const Read cp1252 = readAccented(platform::utf8ToCp1252(utf8.substr(3)));
    ASSERT_EQ(cp1252.result, WordListResult::Loaded);
    EXPECT_EQ(wordsOf(cp1252.table), wordsOf(read.table));
    EXPECT_EQ(cp1252.table.categoryNames, read.table.categoryNames);
}

TEST(AccentedWordList, ErrorsNameTheLineAndTheCharacter) {
    struct Case {
        std::string text;
        int32_t line;
        uint8_t character;
    } cases[] = {
        {"# lista\n\ncasa\nsol1\n", 4, '1'},
        {"casa\n-sol\n", 2, '-'},
        {"casa-\n", 1, '-'},
        {"casa - \n", 1, '-'},
        {"[Frutas\nuva\n", 1, '['},
        {"[ ]\nuva\n", 1, ']'},
        {"[Frutas] uva\n", 1, 'u'},
        {"[Fru\x01tas]\n", 1, 1},
        {"p\xe3o\ncaf\xe9\nol\xe1!\n", 3, '!'},
        {"m\xe8re\n", 1, 0xE8},
        {"ma\xc3\xa7\xc3\xa3\n\xe2\x82\xac\n", 2, 0x80},  // the euro sign, in UTF-8
        {"ma\xc3\xa7\xc3\xa3\nx\xe2\x89\xa0y\n", 2, '?'}, // no Windows-1252 byte
        {"uva\r\n\xef\xbb\xbfpera\r\n", 2, '?'},          // a mark only opens a file
    };
    for (const auto &c : cases) {
        const Read read = readAccented(c.text);
        EXPECT_EQ(read.result, WordListResult::BadCharacter) << c.text;
        EXPECT_EQ(read.table.errorLine, c.line) << c.text;
        EXPECT_EQ(read.table.errorCharacter, c.character) << c.text;
    }
}

TEST(AccentedWordList, CapacityCountsWordsNotLines) {
    std::string list;
    for (int i = 0; i < game::WordListCapacity; ++i)
        list += "# coment\xe1rio\n\nuva\n[Fruta]\n";
    const Read full = readAccented(list);
    EXPECT_EQ(full.result, WordListResult::Loaded);
    EXPECT_EQ(full.table.count, game::WordListCapacity);
    // Never more names than words, however many category lines there are.
    EXPECT_LE(full.table.categoryNames.size(), size_t(game::WordListCapacity));
    EXPECT_EQ(readAccented(list + "pera\n").result, WordListResult::TooManyLines);
    EXPECT_EQ(readAccented("# nada\n\n[Frutas]\n").result, WordListResult::Empty);
    // Words and names keep their first 40 characters; the rest is checked.
    const Read longOnes = readAccented("[" + std::string(50, 'n') + "]\n" + std::string(39, 'a') +
                                       "  b" + std::string(100, 'c') + "\n");
    ASSERT_EQ(longOnes.result, WordListResult::Loaded);
    EXPECT_EQ(longOnes.table.words[0], std::string(39, 'A') + " ");
    EXPECT_EQ(longOnes.table.categoryNames.at(0), std::string(40, 'n'));
    EXPECT_EQ(readAccented(std::string(60, 'a') + "1\n").result, WordListResult::BadCharacter);
}

// The classic format is as before, but for the encodings it reads.
TEST(ClassicWordList, ReadsUtf8AndItsMark) {
    game::WordTable table;
    EXPECT_EQ(game::readWordListText("\xef\xbb\xbf"
                                     "casa\r\nSOL\r\n",
                                     table),
              WordListResult::Loaded);
    EXPECT_EQ(wordsOf(table), (std::vector<std::string>{"CASA", "SOL"}));
    for (const std::string &text : {"casa\nma\xc3\xa7\xc3\xa3\n"s, "casa\nma\xe7\xe3\n"s}) {
        EXPECT_EQ(game::readWordListText(text, table), WordListResult::BadCharacter);
        EXPECT_EQ(table.count, 1);
        EXPECT_EQ(table.errorLine, 2);
        EXPECT_EQ(table.errorCharacter, 0xE7);
    }
    // The classic format knows no comments, categories or hyphens.
    for (const std::string &text : {"# x\n"s, "[Frutas]\n"s, "guarda-chuva\n"s, " casa\n"s}) {
        EXPECT_EQ(game::readWordListText(text, table), WordListResult::BadCharacter) << text;
        EXPECT_EQ(table.errorLine, 1);
    }
}

// A file is read as its text is: twice, the first time for its encoding.
TEST(AccentedWordList, FileReadsAsItsText) {
    test_support::TempDir dir;
    const std::string path = dir.file("lista.pal");
    const std::string text =
        "\xef\xbb\xbf[Frutas]\nma\xc3\xa7\xc3\xa3\n" + std::string(9000, 'x') + "\xc3\xa7\n";
    test_support::writeFile(path, text);
    game::WordTable fromFile;
    ASSERT_EQ(game::readWordList(path, fromFile, WordListFormat::Accented), WordListResult::Loaded);
    const Read fromText = readAccented(text);
    EXPECT_EQ(wordsOf(fromFile), wordsOf(fromText.table));
    EXPECT_EQ(fromFile.words[1], std::string(40, 'X'));
}

} // namespace
