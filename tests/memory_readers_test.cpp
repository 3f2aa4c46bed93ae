// The in-memory entries of the file readers (what the fuzz harnesses call)
// read exactly what the same bytes read from a file give, also where a line
// or its end crosses the file reader's buffer.
#include "game/word_list.h"
#include "platform/file.h"
#include "tests/test_support.h"
#include "tradutor/quelo/data_file.h"
#include "tradutor/rule_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using test_support::TempDir;

const std::string Buffer(4095, 'x'); // one short of the file reader's 4096-byte buffer

const std::vector<std::string> Texts = {
    "",
    "casa\r\nbola\r\n",
    "a\n\nb",
    "um\rdois\r\ntr\352s\n\r\n",
    Buffer + "\r\nfim", // CR the last byte of a buffer, LF the first of the next
    Buffer + "\nfim\r", // a lone CR at the very end
    std::string(10000, 'y') + "\nz",
    "ma\347\343\r\ncasa\r\n",
    "CASA\r\n\032bola\r\n", // Ctrl+Z ends a word list
};

std::vector<std::string> linesOf(rule_lines::LineReader &reader) {
    std::vector<std::string> lines;
    for (std::string line; reader.next(line);)
        lines.push_back(line);
    return lines;
}

TEST(MemoryReaders, LinesReadFromMemoryAreThoseOfTheFile) {
    TempDir dir;
    for (const std::string &text : Texts) {
        const std::string path = dir.file("lines.txt");
        test_support::writeFile(path, text);
        platform::File file;
        ASSERT_TRUE(file.open(path));
        rule_lines::LineReader fromFile(file, 255);
        rule_lines::LineReader fromMemory(text, 255);
        const auto expected = linesOf(fromFile);
        EXPECT_EQ(linesOf(fromMemory), expected) << text.substr(0, 20);

        std::vector<std::string> viaData, viaMemory;
        EXPECT_TRUE(quelo::DataText::file(path).forEachLine(
            255, [&](const std::string &line) { viaData.push_back(line); }));
        EXPECT_TRUE(quelo::DataText::memory(text).forEachLine(
            255, [&](const std::string &line) { viaMemory.push_back(line); }));
        EXPECT_EQ(viaData, expected);
        EXPECT_EQ(viaMemory, expected);
    }
}

TEST(MemoryReaders, WordListFromMemoryIsThatOfTheFile) {
    TempDir dir;
    std::vector<std::string> texts = Texts;
    std::string many;
    for (int i = 0; i < 501; ++i)
        many += "palavra\r\n";
    texts.push_back(many);
    for (const std::string &text : texts) {
        const std::string path = dir.file("galdrino.pal");
        test_support::writeFile(path, text);
        game::WordTable fromFile, fromMemory;
        const auto expected = game::readWordList(path, fromFile);
        EXPECT_EQ(game::readWordListText(text, fromMemory), expected) << text.substr(0, 20);
        ASSERT_EQ(fromMemory.count, fromFile.count);
        for (int32_t i = 0; i < fromFile.count; ++i)
            EXPECT_EQ(fromMemory.words[size_t(i)], fromFile.words[size_t(i)]);
    }
}

TEST(MemoryReaders, OnlyAFileCanBeMissing) {
    TempDir dir;
    EXPECT_FALSE(quelo::DataText::file(dir.file("absent.pro")).exists());
    EXPECT_FALSE(quelo::DataText::file(dir.file("absent.pro")).forEachLine(255, [](auto &) {}));
    EXPECT_TRUE(quelo::DataText::memory("").exists());
}

} // namespace
