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

TEST_F(QueloShippedFiles, SentencesFallAndQuestionsRise) {
    const auto lastPitch = [](const quelo::LineList &lines) {
        long pitch = 0;
        for (const std::string &line : lines) {
            std::istringstream fields(line);
            std::string name;
            long ms = 0, position = 0, hz = 0;
            if (line.empty() || line[0] == ';' || !(fields >> name >> ms >> position >> hz))
                continue;
            if (name != "_")
                pitch = hz;
        }
        return pitch;
    };
    const long statement =
        lastPitch(quelo::queloPipeline("Ele comprou a casa.", quelo::Stage::Lines));
    const long question =
        lastPitch(quelo::queloPipeline("Ele comprou a casa?", quelo::Stage::Lines));
    EXPECT_LT(statement, 110);
    EXPECT_GT(question, 140);
}

} // namespace
