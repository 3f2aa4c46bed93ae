// Numbers in Portuguese words and the joining of their recordings.
#include "console/console.h"
#include "platform/headless/headless.h"
#include "tests/test_support.h"
#include "tradutor/speech/numbers.h"
#include "tradutor/speech/speech.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using test_support::TempDir;

struct WordsCase {
    uint32_t n;
    const char *words;
};

TEST(NumberWords, NumbersBecomeCardinalWords) {
    const WordsCase cases[] = {
        {0, "zero"},
        {1, "um"},
        {7, "sete"},
        {10, "dez"},
        {14, "quatorze"},
        {17, "dezessete"},
        {21, "vinte e um"},
        {100, "cem"},
        {101, "cento e um"},
        {120, "cento e vinte"},
        {215, "duzentos e quinze"},
        {999, "novecentos e noventa e nove"},
        {1000, "mil "},
        {1001, "mil e um"},
        {1234, "mil e duzentos e trinta e quatro"},
        {2001, "dois mil e um"},
        {100000, "cem mil "},
        {1000000, "um milh\xe3o "},
        {2000000, "dois milh\xf5"
                  "es "},
        {1200300, "um milh\xe3o duzentos mil e trezentos"},
        {1000001, "um milh\xe3o e um"},
        {1000000000, "um bilh\xe3o "},
        {4000000000u, "quatro bilh\xf5"
                      "es "},
    };
    for (const auto &c : cases)
        EXPECT_EQ(numbers::numberToWords(c.n), c.words) << c.n;
}

TEST(NumberWords, HundredsAndGroups) {
    EXPECT_EQ(numbers::hundredsToWords("000"), "");
    EXPECT_EQ(numbers::hundredsToWords("021"), "vinte e um");
    EXPECT_EQ(numbers::hundredsToWords("007"), "sete");
    EXPECT_EQ(numbers::hundredsToWords("110"), "cento e dez");
    EXPECT_EQ(numbers::hundredsToWords("300"), "trezentos");
    const std::string digits = "001002003001000";
    EXPECT_EQ(numbers::groupToWords(digits, 0), "um trilh\xe3o ");
    EXPECT_EQ(numbers::groupToWords(digits, 1), "dois bilh\xf5"
                                                "es ");
    EXPECT_EQ(numbers::groupToWords(digits, 3), "um mil ");
    EXPECT_EQ(numbers::groupToWords(digits, 4), "");
}

TEST(NumberWords, FeminineWordsForThingsCountedInTheFeminine) {
    const WordsCase cases[] = {
        {0, "zero"},
        {1, "uma"},
        {2, "duas"},
        {3, "tres"},
        {12, "doze"},
        {21, "vinte e uma"},
        {32, "trinta e duas"},
        {201, "duzentos e uma"},
        {1000, "mil "},
        {2002, "duas mil e duas"},
        {1000000, "um milh\xe3o "},
        {2000001, "dois milh\xf5"
                  "es e uma"},
        {201002001, "duzentos e um milh\xf5"
                    "es duas mil e uma"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(numbers::feminineWords(numbers::numberToWords(c.n)), c.words) << c.n;
    EXPECT_EQ(numbers::pieceNames("uma de duas"),
              (std::vector<std::string>{"_uma", "_de", "_duas"}));
}

using Names = std::vector<std::string>;

TEST(NumberWords, WordsNameTheirRecordings) {
    const auto piecesOf = [](uint32_t n) { return numbers::pieceNames(numbers::numberToWords(n)); };
    EXPECT_EQ(piecesOf(17), Names{"_dezeset"});
    EXPECT_EQ(piecesOf(16), Names{"_dezesse"});
    EXPECT_EQ(piecesOf(14), Names{"_quatorz"});
    EXPECT_EQ(piecesOf(1000000), (Names{"_um", "_milhao"}));
    EXPECT_EQ(piecesOf(2000000), (Names{"_dois", "_milhoes"}));
    EXPECT_EQ(piecesOf(3000000), (Names{"_tres", "_milhoes"}));
    EXPECT_EQ(piecesOf(100), Names{"_cem"});
    EXPECT_EQ(piecesOf(101), (Names{"_cento", "_e", "_um"}));
    EXPECT_EQ(piecesOf(1001), (Names{"_mil", "_e", "_um"}));
    EXPECT_EQ(piecesOf(0), Names{"_zero"});
    EXPECT_EQ(piecesOf(445), (Names{"_quatroc", "_e", "_quarent", "_e", "_cinco"}));
    EXPECT_EQ(numbers::pieceNames("dois trilh\xf5"
                                  "es "),
              (Names{"_dois", "_trilhoe"}));
}

// Recordings of number words with known numbers of samples, in the letters
// directory of a started speech layer.
class NumberSpeechTest : public ::testing::Test {
protected:
    NumberSpeechTest() {
        for (const char *file : {"VOZ.IND", "VOZ.DIF", "regras.rgr", "portug.exc"})
            test_support::writeFile(dir.file("difones/") + file, "");
        test_support::makeDirectories(dir.file("letras"));
        test_support::writeFile(dir.file("ZEBUNA.INI"),
                                "[TRADUTOR]\r\nDIRLETRAS=c:\\letras\\\r\n"
                                "DIRDIFONES=c:\\difones\\\r\n[SINTETIZADOR]\r\nDIFONES3=VOZ\r\n");
    }
    void start(const std::string &keys = "") {
        test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"), keys);
        speech::initSpeech(3, "c:\\sons");
    }
    void piece(const std::string &name, size_t samples) {
        test_support::writeFile(dir.file("letras/" + name + ".wav"),
                                test_support::wavImage(std::vector<uint8_t>(samples, 100)));
    }
    // The lengths of the sounds played, in milliseconds.
    static std::vector<uint32_t> soundMs() {
        std::vector<uint32_t> out;
        for (const auto &event : headless::transcript())
            if (event.kind == headless::Event::Kind::Sound)
                out.push_back(event.value);
        return out;
    }
    TempDir dir;
};

using Lengths = std::vector<uint32_t>;

// Milliseconds of 8-bit samples at 11025 Hz, rounded as the transcript rounds them.
uint32_t msOf(uint64_t samples) {
    return static_cast<uint32_t>((samples * 1000000 / 11025 + 500) / 1000);
}

TEST_F(NumberSpeechTest, PiecesAreJoinedIntoOneSound) {
    piece("_cento", 441);
    piece("_e", 882);
    piece("_um", 1764);
    start();
    numbers::speakNumberWords(numbers::numberToWords(101));
    EXPECT_EQ(test_support::soundsPlayed(), Names{"image"});
    EXPECT_EQ(soundMs(), Lengths{msOf(441 + 882 + 1764)});
}

TEST_F(NumberSpeechTest, MissingOrEmptyPiecesLeaveGaps) {
    piece("_cento", 441);
    piece("_um", 1764);
    test_support::writeFile(dir.file("letras/_e.wav"), "RIFF"); // shorter than a header
    start();
    numbers::speakNumberWords("cento e um dois");
    EXPECT_EQ(soundMs(), Lengths{msOf(441 + 1764)});
}

TEST_F(NumberSpeechTest, MoreThanThirtyThousandSamplesPlayAsSeveralSounds) {
    piece("_cento", 12348);
    piece("_e", 12348);
    piece("_um", 12348);
    start();
    numbers::speakNumberWords("cento e um");
    EXPECT_EQ(test_support::soundsPlayed(), (Names{"image", "image"}));
    EXPECT_EQ(soundMs(), (Lengths{msOf(2 * 12348), msOf(12348)}));
}

TEST_F(NumberSpeechTest, PieceLargerThanTheBufferIsClipped) {
    piece("_cem", 44100);
    piece("_um", 441);
    start();
    numbers::speakNumberWords("cem um");
    EXPECT_EQ(soundMs(), (Lengths{msOf(numbers::ChunkCapacity), msOf(441)}));
}

TEST_F(NumberSpeechTest, KeyStopsTheSoundAndNoFurtherPieceSounds) {
    piece("_cento", 12348);
    piece("_e", 12348);
    piece("_um", 12348);
    start("{AT 500}x");
    numbers::speakNumberWords("cento e um");
    const auto &events = headless::transcript();
    ASSERT_EQ(test_support::soundsPlayed(), Names{"image"});
    const auto sound = std::find_if(events.begin(), events.end(), [](const auto &e) {
        return e.kind == headless::Event::Kind::Sound;
    });
    EXPECT_TRUE(sound->cut);
    EXPECT_EQ(sound->value, 500u);
    EXPECT_TRUE(console::keyPressed());
}

} // namespace
