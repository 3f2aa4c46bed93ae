// The shipped data files of the built-in engine, through the whole pipeline.
#include "platform/cp1252.h"
#include "platform/file.h"
#include "platform/headless/headless.h"
#include "tests/test_support.h"
#include "tradutor/quelo/engine.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

namespace {

using test_support::TempDir;

// The shipped data files with a voice that has every diphone of the phoneme
// set, the set being the names the prosody file gives durations.
class QueloShippedFiles : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        const std::string source = ZEB_SOURCE_DIR "/data/quelo/";
        std::string prosody;
        ASSERT_TRUE(platform::readWholeFile(source + "portug.pro", prosody, 1 << 20));
        const size_t start = prosody.find("]", prosody.find("[DURA")) + 1;
        std::istringstream section(prosody.substr(start, prosody.find("\n[", start) - start));
        for (std::string line; std::getline(section, line);)
            if (!line.empty() && line[0] != ';' && line.find('=') != std::string::npos &&
                line[0] != '_')
                names_.insert(line.substr(0, line.find('=')));
        std::string diphones;
        for (const std::string &first : names_)
            for (const std::string &second : names_)
                diphones += first + " " + second + "\r\n";
        for (const std::string &name : names_)
            diphones += "_ " + name + "\r\n" + name + " _\r\n";
        diphones += "_ _\r\n";
        test_support::writeFile(dir_.file("all.dfn"), diphones);
        ASSERT_TRUE(quelo::queloLoadData(source + "portug.nrl", source + "portug.exc",
                                         source + "portug.abr", source + "portug.pro",
                                         dir_.file("all.dfn")));
        EXPECT_TRUE(headless::transcript().empty()) << headless::transcriptText();
    }

    // Every line a comment, an empty line or "name ms [position pitch]" with
    // a name of the set; every duration and pitch sensible.
    void expectPhonemeLines(const quelo::LineList &lines) const {
        for (const std::string &line : lines) {
            if (line.empty() || line[0] == ';')
                continue;
            std::istringstream fields(line);
            std::string name;
            long ms = -1, position = 50, pitch = 100;
            fields >> name >> ms;
            if (!fields.eof())
                fields >> position >> pitch;
            EXPECT_TRUE(name == "_" || names_.count(name)) << line;
            EXPECT_TRUE(ms > 0 && ms < 2000) << line;
            EXPECT_TRUE(position >= 0 && position <= 100 && pitch > 40 && pitch < 400) << line;
        }
    }

    TempDir dir_;
    std::set<std::string> names_;
};

TEST_F(QueloShippedFiles, EveryRuleOutputHasADuration) {
    std::string rules;
    ASSERT_TRUE(platform::readWholeFile(ZEB_SOURCE_DIR "/data/quelo/portug.nrl", rules, 1 << 20));
    std::istringstream in(rules);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == ';' || line.find('=') == std::string::npos)
            continue;
        std::string output = line.substr(line.find('=', line.find(')')) + 1);
        output = output.substr(0, output.find_first_of("|\r"));
        std::istringstream parts(output);
        for (std::string name; std::getline(parts, name, '&');) {
            name.erase(std::remove_if(name.begin(), name.end(),
                                      [](char c) { return c == '>' || c == '\250'; }),
                       name.end());
            if (!name.empty()) {
                EXPECT_TRUE(names_.count(name)) << name << " in " << line;
            }
        }
    }
}

TEST_F(QueloShippedFiles, TextsOfAnyByteAndLength) {
    std::string junk;
    for (size_t i = 0; i < 30000; ++i)
        junk += static_cast<char>((i * 2654435761u) >> 13);
    expectPhonemeLines(quelo::queloPipeline(junk, quelo::Stage::Lines));
    std::string prose;
    while (prose.size() < 100000)
        prose += platform::utf8ToCp1252("Às 10h30 de 25/12/2024, o Dr. Zé comprou 1.234,5 kg "
                                        "de pão-de-ló por R$ 3,50... Não é? Sim! (ok) ");
    const quelo::LineList lines = quelo::queloPipeline(prose, quelo::Stage::Lines);
    EXPECT_GT(lines.size(), 10000u);
    expectPhonemeLines(lines);
}

// The pitch of the first point at `position` percent (80 is the stressed
// vowel's) among the phoneme lines of the utterance's last word `word`; 0
// when there is none.
long pointOf(const quelo::LineList &lines, const std::string &word, long position) {
    long pitch = 0;
    bool inWord = false;
    for (const std::string &line : lines) {
        if (!line.empty() && line[0] == ';') {
            inWord = line == ";" + word;
            if (inWord)
                pitch = 0;
            continue;
        }
        std::istringstream fields(line);
        std::string name;
        long ms = 0, at = 0, hz = 0;
        if (inWord && pitch == 0 && fields >> name >> ms >> at >> hz && name != "_" &&
            at == position)
            pitch = hz;
    }
    return pitch;
}

TEST_F(QueloShippedFiles, QuestionsRiseOnTheLastStressedVowel) {
    // A word of fewer than three letters, and "não", has one point only, on
    // its first phoneme.
    const struct {
        const char *rising, *level, *word;
        long position, percentAbove;
    } cases[] = {
        {"Você vem amanhã?", "Você vem amanhã.", "amanhã", 80, 25},
        {"Ele comprou a casa?", "Ele comprou a casa.", "casa", 80, 25},
        {"Você está lá?", "Você está lá.", "lá", 50, 25},
        {"Não?", "Não.", "Não", 50, 15},
        // The continuation rise before a comma.
        {"Se você vem, eu vou.", "Se você vem eu vou.", "vem", 80, 10},
    };
    for (const auto &c : cases) {
        const auto pitch = [&](const char *text) {
            return pointOf(quelo::queloPipeline(platform::utf8ToCp1252(text), quelo::Stage::Lines),
                           platform::utf8ToCp1252(c.word), c.position);
        };
        const long level = pitch(c.level);
        EXPECT_GT(level, 0) << c.level;
        EXPECT_GT(pitch(c.rising), level * (100 + c.percentAbove) / 100) << c.rising;
    }
    // A statement falls after its last stress.
    const quelo::LineList statement =
        quelo::queloPipeline("Ele comprou a casa.", quelo::Stage::Lines);
    EXPECT_LT(pointOf(statement, "casa", 50), pointOf(statement, "casa", 80));
}

} // namespace
