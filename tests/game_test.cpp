// Whole games on the headless backend, with recordings of known lengths.
#include "game/gallows.h"
#include "game/game.h"
#include "game/word_list.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using test_support::TempDir;
using namespace std::string_literals;

const char *const MessageKeys[] = {"GDINIC",   "GDARNENC", "GDMAXPAL", "GDERRPAL", "GDPRGCAN",
                                   "GDCABECA", "GDPESCOC", "GDTRONCO", "GDBRADIR", "GDBRAESQ",
                                   "GDPERDIR", "GDPERESQ", "GDPARABE", "GDERA",    "GDQUELET",
                                   "GDREPETE", "GDDESIS",  "GDSOALFA", "GDLETREP", "GDENFORC",
                                   "GDDENOVO", "GDTCHAU",  "GDPLIM",   "GDTCHEN",  "GDREQIEN"};

class GameTest : public ::testing::Test {
protected:
    GameTest() {
        for (const char *key : MessageKeys)
            test_support::writeFile(soundDir() + key + ".wav", test_support::wavOfMs(300));
        for (int code = 1; code < 256; ++code)
            test_support::writeFile(lettersDir() + "_" + std::to_string(code) + ".wav",
                                    test_support::wavOfMs(100));
        // A voice without units: its rules spell every letter, so the word
        // read at the end of a round is made of letter recordings.
        for (const char *file : {"TESTE.IND", "TESTE.DIF", "regras.rgr", "portug.exc"})
            test_support::writeFile(dir.file("talvek/som/difones/") + file, "");
        test_support::writeFile(dir.file("ZEBUNA.INI"),
                                "[SINTETIZADOR]\r\nDIFONES3=TESTE\r\n[TRADUTOR]\r\nSAPI=N\r\n");
    }
    std::string soundDir() const { return dir.file("talvek/som/quibo2/"); }
    std::string lettersDir() const { return dir.file("talvek/som/letras/"); }
    void words(const std::string &list) {
        test_support::writeFile(soundDir() + "galdrino.pal", list);
    }

    // Plays a whole game with the key script; returns the exit code.
    int32_t play(const std::string &keys, uint32_t seed = 0) {
        test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"), keys);
        headless::setTimeOfDaySeed(seed);
        return test_support::exitCodeOf([] { game::runGame(); });
    }

    // The sounds after the first play of `from`, up to the first of `to`.
    static std::vector<std::string> soundsBetween(const std::string &from, const std::string &to) {
        const auto all = test_support::soundsPlayed();
        auto begin = std::find(all.begin(), all.end(), from);
        auto end = begin == all.end() ? all.end() : std::find(begin + 1, all.end(), to);
        return {begin, end};
    }

    static bool printed(const std::string &text) {
        return test_support::textPrinted().find(text) != std::string::npos;
    }

    TempDir dir;
};

TEST_F(GameTest, WinningRoundPresentsTheWordAndCongratulates) {
    words("CASA\r\n");
    EXPECT_EQ(play("asc"
                   "n"),
              0);
    const auto sounds = test_support::soundsPlayed();
    ASSERT_GE(sounds.size(), 2u);
    EXPECT_EQ(sounds.front(), "GDINIC.wav");
    // After A is found, the next presentation: plim C, A, plim S, A.
    EXPECT_EQ(
        soundsBetween("_65.wav", "GDQUELET.wav"),
        (std::vector<std::string>{"_65.wav", "GDPLIM.wav", "_65.wav", "GDPLIM.wav", "_65.wav"}));
    EXPECT_TRUE(printed("Parab\xe9ns !  A palavra era essa mesmo.\r\nA palavra era: CASA\r\n"));
    EXPECT_TRUE(printed("Quer jogar de novo (s/n) ? n\r\n"));
    EXPECT_TRUE(printed("Tchau, at\xe9 a pr\xf3xima..."));
    const auto tail = soundsBetween("GDPARABE.wav", "GDDENOVO.wav");
    EXPECT_EQ(tail.at(1), "GDERA.wav");
    EXPECT_EQ(test_support::soundsPlayed().back(), "GDTCHAU.wav");
}

TEST_F(GameTest, EighthMissHangsTheFigureAfterSevenBodyParts) {
    words("CASA\r\n");
    EXPECT_EQ(play("bdefghij"
                   "N"),
              0);
    std::vector<std::string> effects;
    for (const auto &s : test_support::soundsPlayed())
        if (s.rfind("GDT", 0) == 0 || s.rfind("GDREQ", 0) == 0 || s == "GDCABECA.wav" ||
            s.rfind("GDPE", 0) == 0 || s.rfind("GDBRA", 0) == 0 || s == "GDTRONCO.wav")
            effects.push_back(s);
    EXPECT_EQ(effects, (std::vector<std::string>{
                           "GDTCHEN.wav", "GDCABECA.wav", "GDTCHEN.wav", "GDPESCOC.wav",
                           "GDTCHEN.wav", "GDTRONCO.wav", "GDTCHEN.wav", "GDBRADIR.wav",
                           "GDTCHEN.wav", "GDBRAESQ.wav", "GDTCHEN.wav", "GDPERDIR.wav",
                           "GDTCHEN.wav", "GDPERESQ.wav", "GDREQIEN.wav", "GDTCHAU.wav"}));
    EXPECT_TRUE(printed("Que pena, foi enforcado!\r\nA palavra era: CASA\r\n"));
    // The word is spelled after GDERA, then synthesized.
    EXPECT_EQ(soundsBetween("GDERA.wav", "GDDENOVO.wav"),
              (std::vector<std::string>{"GDERA.wav", "_67.wav", "_65.wav", "_83.wav", "_65.wav",
                                        "image"}));
}

TEST_F(GameTest, EscapeGivesUpAndSpellsTheWord) {
    words("SOL\r\n");
    EXPECT_EQ(play("{ESC}n"), 0);
    EXPECT_TRUE(printed("Que pena, voc\xea desistiu!\r\nA palavra era: SOL\r\n"));
    EXPECT_EQ(soundsBetween("_27.wav", "GDERA.wav"),
              (std::vector<std::string>{"_27.wav", "GDDESIS.wav"}));
}

TEST_F(GameTest, RepeatedAndNonLetterKeysAreAnsweredWithoutAMiss) {
    words("SOL\r\n");
    EXPECT_EQ(play("xx5\xc3\xa7{ENTER}{ESC}n"), 0);
    EXPECT_TRUE(printed("Letra repetida, tente outra!"));
    // Only the letter x was recorded as tried.
    EXPECT_TRUE(printed("Vou repetir o que voc\xea falou:\r\nX\r\n"));
    const auto sounds = test_support::soundsPlayed();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "GDSOALFA.wav"), 2);
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "GDTCHEN.wav"), 1);
}

TEST_F(GameTest, EnterSpaceAndArrowsRepeatTriedLettersInOrder) {
    words("SOL\r\n");
    EXPECT_EQ(play("zb{ENTER} {UP}{ESC}n"), 0);
    const std::string text = test_support::textPrinted();
    size_t count = 0;
    for (size_t at = text.find("Vou repetir o que voc\xea falou:\r\nBZ\r\n");
         at != std::string::npos;
         at = text.find("Vou repetir o que voc\xea falou:\r\nBZ\r\n", at + 1))
        ++count;
    EXPECT_EQ(count, 3u);
}

TEST_F(GameTest, PlayAgainWithSEnterOrEscapeAndQuitWithN) {
    words("SOL\r\n");
    EXPECT_EQ(play("{ESC}s{ESC}{ENTER}{ESC}{ESC}{ESC}N"), 0);
    const auto sounds = test_support::soundsPlayed();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "GDDENOVO.wav"), 4);
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "GDTCHAU.wav"), 1);
}

TEST_F(GameTest, MissingWordListCancelsTheProgram) {
    EXPECT_EQ(play(""), 1);
    EXPECT_TRUE(printed("N\xe3o achei o arquivo de palavras\r\nO programa foi cancelado.\r\n"));
    EXPECT_EQ(test_support::soundsPlayed().back(), "GDPRGCAN.wav");
}

TEST_F(GameTest, TooManyLinesCancelsTheProgram) {
    std::string list;
    for (int i = 0; i < 501; ++i)
        list += "PALAVRA\r\n";
    words(list);
    EXPECT_EQ(play(""), 1);
    EXPECT_TRUE(printed("Nao posso processar tantas palavras.\r\nO programa foi cancelado.\r\n"));
}

TEST_F(GameTest, BadCharacterOnLine12IsReportedAndSpoken) {
    std::string list;
    for (int i = 0; i < 11; ++i)
        list += "casa\r\n";
    words(list + "ma\xe7\xe3\r\nBOLA\r\n");
    EXPECT_EQ(play(""), 1);
    EXPECT_TRUE(
        printed("Houve um erro no arquivo de palavras. Linha 12\r\nO programa foi cancelado."));
    EXPECT_EQ(soundsBetween("GDERRPAL.wav", "GDPRGCAN.wav"),
              (std::vector<std::string>{"GDERRPAL.wav", "_49.wav", "_50.wav"}));
}

TEST_F(GameTest, WordListEdgeCases) {
    words(std::string(45, 'a') + "\r\n\r\nxyz\n");
    EXPECT_EQ(play("{ESC}n"), 0);
    ASSERT_EQ(game::wordCount(), 3);
    EXPECT_EQ(game::wordAt(0), std::string(40, 'A'));
    EXPECT_EQ(game::wordAt(1), "");
    EXPECT_EQ(game::wordAt(2), "XYZ");
}

TEST_F(GameTest, ExactlyFiveHundredLinesLoad) {
    std::string list;
    for (int i = 0; i < 500; ++i)
        list += "PALAVRA\r\n";
    words(list);
    EXPECT_EQ(play("{ESC}n"), 0);
    EXPECT_EQ(game::wordCount(), 500);
}

TEST_F(GameTest, DrawsDoNotRepeatWithinACycle) {
    words("UM\r\nDOIS\r\nTRES\r\n");
    EXPECT_EQ(play("{ESC}s{ESC}n", 4242), 0);
    const std::string text = test_support::textPrinted();
    std::vector<std::string> seen;
    for (const char *w : {"UM", "DOIS", "TRES"})
        if (text.find(std::string("A palavra era: ") + w + "\r\n") != std::string::npos)
            seen.push_back(w);
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(GameTest, KeysTypedAheadAreDiscardedBeforeTheQuestion) {
    words("SOL\r\n");
    // z arrives during the start-up message and is dropped before the
    // first question; the player's first judged key is the escape.
    EXPECT_EQ(play("{AT 100}z{ESC}n"), 0);
    EXPECT_FALSE(printed("? Z"));
    EXPECT_TRUE(printed("? \x1b"));
}

TEST_F(GameTest, AKeyCutsTheSoundAndIsSwallowedDuringThePresentation) {
    words("SOL\r\n");
    EXPECT_EQ(play("{AT 2950}q{ESC}n"), 0);
    bool cut = false;
    for (const auto &line : test_support::transcriptLines("sound"))
        cut = cut || line.find(" cut") != std::string::npos;
    EXPECT_TRUE(cut);
    EXPECT_FALSE(printed("? Q"));
}

TEST(Gallows, CellsAppearWithTheirMissCount) {
    EXPECT_EQ(game::gallowsCell(0, 7, 0), 'X');
    EXPECT_EQ(game::gallowsCell(3, 6, 0), ' ');
    EXPECT_EQ(game::gallowsCell(3, 6, 1), '*');
    EXPECT_EQ(game::gallowsCell(4, 7, 7), ' '); // the eye marks only when hanged
    EXPECT_EQ(game::gallowsCell(4, 7, 8), '\\');
    EXPECT_EQ(game::gallowsCell(24, 3, 5), ' ');
    EXPECT_EQ(game::gallowsCell(24, 3, 6), '@');
}

} // namespace

namespace {

TEST_F(GameTest, ASingleWordIsPlayedEveryRound) {
    words("SOL\r\n");
    EXPECT_EQ(play("{ESC}s{ESC}s{ESC}n"), 0);
    const auto sounds = test_support::soundsPlayed();
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), "GDDESIS.wav"), 3);
}

} // namespace

namespace {

TEST(WordList, LongLinesNulBytesAndTheEndOfFileMark) {
    TempDir dir;
    const std::string path = dir.file("words.pal");
    struct Case {
        std::string contents;
        game::WordListResult result;
        int32_t count;
    } cases[] = {
        {std::string(1 << 20, 'b') + "\r\nCASA\r\n", game::WordListResult::Loaded, 2},
        {"CASA\r\nBO\0LA\r\n"s, game::WordListResult::BadCharacter, 1},
        {"CASA\r\nBOLA\x1aLIXO\r\n", game::WordListResult::Loaded, 2},
        {"", game::WordListResult::Empty, 0},
        {"CASA\rBOLA\r\n", game::WordListResult::BadCharacter, 0},
        {"CASA\nBOLA", game::WordListResult::Loaded, 2},
    };
    for (const auto &c : cases) {
        test_support::writeFile(path, c.contents);
        game::WordTable table;
        EXPECT_EQ(game::readWordList(path, table), c.result) << c.contents.substr(0, 20);
        EXPECT_EQ(table.count, c.count) << c.contents.substr(0, 20);
    }
    game::WordTable table;
    test_support::writeFile(path, std::string(1 << 20, 'b') + "\r\n");
    ASSERT_EQ(game::readWordList(path, table), game::WordListResult::Loaded);
    EXPECT_EQ(table.words[0], std::string(40, 'B'));
}

} // namespace

namespace {

TEST_F(GameTest, TitlePictureIsCentredThenHidden) {
    words("SOL\r\n");
    // A 24-bit 200 x 100 picture.
    std::string bmp(54, '\0');
    const auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put(10, 54);
    put(14, 40);
    put(18, 200);
    put(22, 100);
    bmp[28] = 24;
    bmp += std::string(600 * 100, '\x20');
    test_support::writeFile(soundDir() + "galdrino.bmp", bmp);
    EXPECT_EQ(play("{ESC}n"), 0);
    // The window is 80 cells of 13 pixels plus two 4-pixel frames wide, and
    // 25 rows of 28 pixels plus the frames and a 23-pixel caption high.
    const auto pictures = test_support::transcriptLines("picture");
    ASSERT_FALSE(pictures.empty());
    EXPECT_EQ(pictures.front(), "200x100 at 424,315");
    // Hidden after the start-up message: no picture is drawn in the rounds.
    const std::string transcript = headless::transcriptText();
    const size_t firstRound = transcript.find("text JOGO DA FORCA ZEB", transcript.find("GDINIC"));
    ASSERT_NE(firstRound, std::string::npos);
    EXPECT_EQ(transcript.find("picture ", firstRound), std::string::npos);
}

} // namespace

TEST_F(GameTest, WithoutASoundDeviceTheGameGoesOnInSilence) {
    words("CASA\r\n");
    const std::string keys = "asc"
                             "n";
    ASSERT_EQ(play(keys), 0);
    const std::string withSound = test_support::textPrinted();
    test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"), keys);
    headless::setTimeOfDaySeed(0);
    headless::setWaveFaults({platform::WaveNoDriver, 0, 0, 0});
    EXPECT_EQ(test_support::exitCodeOf([] { game::runGame(); }), 0);
    EXPECT_TRUE(test_support::soundsPlayed().empty());
    EXPECT_EQ(test_support::textPrinted(), withSound);
}
