// The built-in engine's front and its MBROLA driver, against a scripted fake
// synthesizer library served in-process under the name "mbrola.dll".
#include "app/module_start.h"
#include "console/console.h"
#include "game/game.h"
#include "platform/cp1252.h"
#include "platform/file.h"
#include "platform/headless/headless.h"
#include "platform/inprocess_library.h"
#include "tests/test_support.h"
#include "tradutor/quelo/engine.h"
#include "tradutor/quelo/mbrola_driver.h"
#include "tradutor/servers/quelo_server.h"
#include "tradutor/servers/server.h"
#include "tradutor/speech/speech.h"
#include "tradutor/speech/wave_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using test_support::TempDir;
using Calls = std::vector<std::string>;

// The fake synthesizer: every call is logged; each written line yields
// `samplesPerLine` samples, handed out at most `readLimit` at a time.
struct FakeMbrola {
    Calls calls;
    std::string initPath;
    int initResult = 0;
    size_t samplesPerLine = 100;
    int readLimit = 16000;
    std::string failingLine; // a write containing it reports an error
    int lastError = 0;
    size_t pending = 0;
    bool failReads = false;
};

FakeMbrola fake;

int ZEB_MBR_CALL fakeInit(char *path) {
    fake.calls.push_back("init");
    fake.initPath = path;
    return fake.initResult;
}
int ZEB_MBR_CALL fakeWrite(char *text) {
    std::string line(text);
    fake.calls.push_back("write " + line.substr(0, line.size() - 2));
    if (!line.ends_with("\r\n"))
        fake.calls.push_back("no CR LF");
    fake.lastError = !fake.failingLine.empty() && line.find(fake.failingLine) != std::string::npos;
    fake.pending += fake.samplesPerLine;
    return 0;
}
int ZEB_MBR_CALL fakeFlush() {
    fake.calls.push_back("flush");
    return 0;
}
int ZEB_MBR_CALL fakeRead(short *buffer, int wanted) {
    if (fake.failReads) {
        fake.calls.push_back("read failed");
        fake.lastError = 1;
        return -1;
    }
    const size_t count =
        std::min({fake.pending, static_cast<size_t>(wanted), static_cast<size_t>(fake.readLimit)});
    for (size_t i = 0; i < count; ++i)
        buffer[i] = static_cast<short>(1000 + i % 7);
    fake.pending -= count;
    fake.calls.push_back("read " + std::to_string(count));
    return static_cast<int>(count);
}
void ZEB_MBR_CALL fakeClose() {
    fake.calls.push_back("close");
}
int ZEB_MBR_CALL fakeReset() {
    fake.calls.push_back("reset");
    fake.pending = 0;
    fake.lastError = 0;
    return 0;
}
int ZEB_MBR_CALL fakeLastError() {
    return fake.lastError;
}
void ZEB_MBR_CALL fakeSetNoError(int on) {
    fake.calls.push_back("noerror " + std::to_string(on));
}
int ZEB_MBR_CALL fakeUnused() {
    fake.calls.push_back("unused entry called");
    return 0;
}

std::map<std::string, void *> fakeEntries() {
    std::map<std::string, void *> entries;
    for (const char *name :
         {"init_rename_MBR", "readtype_MBR", "lastErrorStr_MBR", "getNoError_MBR", "setFreq_MBR",
          "getFreq_MBR", "setVolumeRatio_MBR", "getVolumeRatio_MBR", "getVersion_MBR",
          "getDatabaseInfo_MBR", "setParser_MBR", "init_Phone", "reset_Phone", "close_Phone",
          "appendf0_Phone"})
        entries[name] = reinterpret_cast<void *>(&fakeUnused);
    entries["init_MBR"] = reinterpret_cast<void *>(&fakeInit);
    entries["write_MBR"] = reinterpret_cast<void *>(&fakeWrite);
    entries["flush_MBR"] = reinterpret_cast<void *>(&fakeFlush);
    entries["read_MBR"] = reinterpret_cast<void *>(&fakeRead);
    entries["close_MBR"] = reinterpret_cast<void *>(&fakeClose);
    entries["reset_MBR"] = reinterpret_cast<void *>(&fakeReset);
    entries["lastError_MBR"] = reinterpret_cast<void *>(&fakeLastError);
    entries["setNoError_MBR"] = reinterpret_cast<void *>(&fakeSetNoError);
    return entries;
}

void serveFake(const std::string &missingEntry = "") {
    auto entries = fakeEntries();
    entries.erase(missingEntry);
    platform::registerInProcessLibrary("MBROLA.DLL", [entries](const char *name) -> void * {
        const auto found = entries.find(name);
        return found == entries.end() ? nullptr : found->second;
    });
}

// Small data files: every letter is its own phoneme.
void writeData(const TempDir &dir) {
    std::string rules;
    for (char c = 'A'; c <= 'Z'; ++c)
        rules += std::string("(") + c + ")=" + static_cast<char>(c + 32) + "|\r\n";
    test_support::writeFile(dir.file("t.nrl"), rules);
    test_support::writeFile(dir.file("t.exc"), "");
    test_support::writeFile(dir.file("t.abr"), "SR=senhor\r\n");
    test_support::writeFile(dir.file("t.pro"),
                            platform::utf8ToCp1252("[DURAÇÃO]\r\na=50\r\n"
                                                   "[CHAVES]\r\n[PROSÓDIA]\r\nHERTZ=100\r\n"
                                                   "TABHERTZ=0,10,20,30,40,50,60,70,80,90\r\n"));
    std::string diphones;
    for (const char *first : {"_", "a", "b", "c"})
        for (const char *second : {"_", "a", "b", "c"})
            diphones += std::string(first) + " " + second + "\r\n";
    test_support::writeFile(dir.file("t.dfn"), diphones);
}

class QueloEngine : public ::testing::Test {
protected:
    void SetUp() override {
        fake = FakeMbrola{};
        test_support::writeFile(dir_.file("ZEBUNA.INI"), "[TRADUTOR]\r\n");
        test_support::startMachine(dir_.path(), dir_.file("ZEBUNA.INI"));
        serveFake();
        writeData(dir_);
        // The last phoneme's name outlives an utterance; an empty line clears it.
        quelo::applyProsody({""}, 1.0, 1.0);
        // A server started by an earlier test leaves its rate and pitch.
        quelo::queloSetFactors(1.0, 1.0);
        quelo::queloSetOutputFile("");
    }
    void TearDown() override {
        quelo::queloClose();
        quelo::queloSetOutputFile("");
        quelo::queloSetFactors(1.0, 1.0);
        platform::withdrawInProcessLibrary("mbrola.dll");
        app::endModules();
    }

    bool init(const std::string &database = "", const std::string &abbreviations = "t.abr",
              const std::string &diphones = "t.dfn") {
        return quelo::queloInit(database, dir_.file("t.nrl"), dir_.file("t.exc"),
                                dir_.file(abbreviations), dir_.file("t.pro"), dir_.file(diphones));
    }
    // The calls made since the last mark.
    Calls callsSince(size_t mark) const {
        return Calls(fake.calls.begin() + static_cast<long>(mark), fake.calls.end());
    }

    TempDir dir_;
};

TEST_F(QueloEngine, InitialisesWithTheDatabaseAndSpeaksLineByLine) {
    ASSERT_TRUE(init());
    EXPECT_EQ(fake.calls, (Calls{"init", "noerror 1"}));
    EXPECT_TRUE(fake.initPath.ends_with("br4")) << fake.initPath;
    const size_t mark = fake.calls.size();
    EXPECT_TRUE(quelo::queloSpeak("ab"));
    // reset first; every line written with CR LF and read after; the empty
    // line after a word is skipped; the utterance's last line is flushed.
    EXPECT_EQ(
        callsSince(mark),
        (Calls{"reset",    "write ;",     "read 100", "read 0", "write _ 100 50 50", "read 100",
               "read 0",   "write ;ab",   "read 100", "read 0", "write a 50 50 50",  "read 100",
               "read 0",   "write b 100", "read 100", "read 0", "write _ 100",       "flush",
               "read 100", "read 0"}));
}

TEST_F(QueloEngine, AFullReadIsFollowedByAnotherAndImagesHoldHalfASecond) {
    ASSERT_TRUE(init());
    fake.samplesPerLine = 20000;
    headless::setAudioCapture(true);
    const size_t mark = fake.calls.size();
    quelo::queloSpeak("a");
    const Calls calls = callsSince(mark);
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 5),
              (Calls{"reset", "write ;", "read 16000", "read 4000", "read 0"}));
    // An image goes to the wave player before a read would bring it to
    // 16000 bytes or more.
    for (const auto &block : headless::capturedAudio())
        EXPECT_LE(block.size(), 32000u);
    quelo::queloStop();
}

TEST_F(QueloEngine, AShortUtteranceIsPaddedTo256Bytes) {
    ASSERT_TRUE(init());
    fake.samplesPerLine = 0;
    headless::setAudioCapture(true);
    quelo::sendUtterance({"a 10"}, nullptr);
    fake.samplesPerLine = 10;
    quelo::sendUtterance({"a 10"}, nullptr);
    wave::stopWave();
    const auto &blocks = headless::capturedAudio();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].size(), 256u);
    EXPECT_EQ(blocks[0][0], 1000 & 0xFF);
    EXPECT_EQ(blocks[0][255], 0);
}

TEST_F(QueloEngine, ErrorsResetTheSynthesizerAndTheUtteranceGoesOn) {
    ASSERT_TRUE(init());
    fake.failingLine = "b 100";
    const size_t mark = fake.calls.size();
    EXPECT_FALSE(quelo::queloSpeak("ab"));
    const Calls calls = callsSince(mark);
    const auto failed = std::find(calls.begin(), calls.end(), "write b 100");
    ASSERT_NE(failed, calls.end());
    EXPECT_EQ(*(failed + 1), "reset");
    EXPECT_EQ(calls.back(), "read 0");
    EXPECT_NE(std::find(calls.begin(), calls.end(), "flush"), calls.end());

    fake.failingLine.clear();
    fake.failReads = true;
    EXPECT_FALSE(quelo::queloSpeak("a"));
}

TEST_F(QueloEngine, ALastEmptyLineIsWrittenAndFlushed) {
    ASSERT_TRUE(init());
    const size_t mark = fake.calls.size();
    EXPECT_TRUE(quelo::sendUtterance({"a 50", "", "b 50", ""}, nullptr));
    EXPECT_EQ(callsSince(mark),
              (Calls{"reset", "write a 50", "read 100", "read 0", "write b 50", "read 100",
                     "read 0", "write ", "flush", "read 100", "read 0"}));
    EXPECT_NE(std::find(fake.calls.begin(), fake.calls.end(), "unused entry called") ==
                  fake.calls.end(),
              false);
}

TEST_F(QueloEngine, TheOutputFileIsAValidWaveFileAfterClose) {
    quelo::queloSetOutputFile(dir_.file("out.wav"));
    ASSERT_TRUE(init());
    EXPECT_FALSE(quelo::queloIsPlaying());
    quelo::queloStop();
    fake.samplesPerLine = 1234;
    EXPECT_TRUE(quelo::queloSpeak("ab"));
    EXPECT_TRUE(quelo::queloSpeak("  "));
    EXPECT_TRUE(quelo::queloSpeak("b"));
    EXPECT_TRUE(headless::transcript().empty());
    quelo::queloClose();
    std::string wav;
    ASSERT_TRUE(platform::readWholeFile(dir_.file("out.wav"), wav, 1 << 24));
    ASSERT_GT(wav.size(), 44u);
    const auto le32 = [&](size_t at) {
        uint32_t v = 0;
        std::memcpy(&v, wav.data() + at, 4);
        return v;
    };
    const size_t data = wav.size() - 44;
    EXPECT_EQ(data % (2 * 1234), 0u);
    EXPECT_EQ(le32(40), data);
    EXPECT_EQ(le32(4), data + 36);
    EXPECT_EQ(le32(24), 16000u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(36, 4), "data");
}

// The registry of the POSIX hosts is a file in the Windows directory; on
// Windows it is the system's own.
#ifndef _WIN32
TEST_F(QueloEngine, TheDatabaseComesFromTheRegistry) {
    test_support::writeFile(dir_.file("windows/registry.reg"),
                            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\TCTS\\Mbrola\\"
                            "databases\\zbr1]\r\n@=\"c:\\\\vozes\\\\zbr1\"\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TCTS\\Mbrola\\databases\\vazia]\r\n"
                            "@=\"\"\r\n");
    ASSERT_TRUE(init("zbr1"));
    EXPECT_EQ(fake.initPath, platform::nativePath("c:\\vozes\\zbr1"));
    ASSERT_TRUE(init("VAZIA"));
    EXPECT_EQ(fake.initPath, platform::nativePath("c:\\talvek\\quelotts\\br4"));
    ASSERT_TRUE(init("nenhuma"));
    EXPECT_TRUE(fake.initPath.ends_with("nenhuma"));

    std::string text;
    EXPECT_FALSE(quelo::readRegistryString(platform::RegistryRoot::LocalMachine, "semBarra", text));
    EXPECT_TRUE(quelo::readRegistryString(platform::RegistryRoot::LocalMachine,
                                          "software\\tcts\\mbrola\\databases\\ZBR1\\", text));
    EXPECT_EQ(text, "c:\\vozes\\zbr1");
}
#endif

TEST_F(QueloEngine, FailuresOfEachStep) {
    const std::string before = quelo::queloErrorText();
    platform::withdrawInProcessLibrary("mbrola.dll");
    EXPECT_FALSE(init());
    serveFake("appendf0_Phone");
    EXPECT_FALSE(init());
    EXPECT_TRUE(fake.calls.empty());
    serveFake();
    fake.initResult = -1;
    EXPECT_FALSE(init());
    EXPECT_EQ(quelo::queloErrorText(), before);
    EXPECT_FALSE(quelo::queloSpeak("a"));

    fake.initResult = 0;
    EXPECT_FALSE(init("", "absent.abr"));
    EXPECT_EQ(platform::cp1252ToUtf8(quelo::queloErrorText()), "Erro no arquivo de abreviaturas");
    EXPECT_FALSE(init("", "t.abr", "absent.dfn"));
    EXPECT_EQ(platform::cp1252ToUtf8(quelo::queloErrorText()), "Erro no arquivo de prosódia");
    EXPECT_FALSE(quelo::queloInit("", dir_.file("absent.nrl"), "", "", "", ""));
    EXPECT_EQ(platform::cp1252ToUtf8(quelo::queloErrorText()),
              "Erro na base de dados de português");
    quelo::queloSetOutputFile(dir_.file("no/such/dir/out.wav"));
    EXPECT_FALSE(init());
    EXPECT_EQ(platform::cp1252ToUtf8(quelo::queloErrorText()),
              "Arquivo de saída não pode ser criado");
}

TEST_F(QueloEngine, BlankTextsSpeakNothingAndTheWaveOptionsComeBack) {
    ASSERT_TRUE(init());
    const size_t mark = fake.calls.size();
    EXPECT_TRUE(quelo::queloSpeak(""));
    EXPECT_TRUE(quelo::queloSpeak(" \t\r\n "));
    EXPECT_EQ(fake.calls.size(), mark);
    for (const auto stage : {quelo::Stage::Tokens, quelo::Stage::Patterns, quelo::Stage::Phonemes,
                             quelo::Stage::Lines}) {
        EXPECT_TRUE(quelo::queloPipeline(" \t\r\n ", stage).empty());
        EXPECT_TRUE(quelo::queloPipeline("", stage).empty());
        EXPECT_FALSE(quelo::queloPipeline(" a ", stage).empty());
    }
    wave::setSpeedUp(true);
    wave::setCompression(true);
    quelo::queloSpeak("a");
    EXPECT_TRUE(wave::speedUp());
    EXPECT_TRUE(wave::compression());
    wave::setSpeedUp(false);
    wave::setCompression(false);
    quelo::queloStop();
}

TEST_F(QueloEngine, FactorsReachTheLines) {
    ASSERT_TRUE(init());
    quelo::queloSetFactors(0.6, 2.0);
    const quelo::LineList lines = quelo::queloPipeline("a", quelo::Stage::Lines);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "a 30 50 100"), lines.end());
}

TEST_F(QueloEngine, SpeakingSendsExactlyThePipelinesLines) {
    const std::string source = ZEB_SOURCE_DIR "/data/quelo/";
    ASSERT_TRUE(quelo::queloInit("", source + "portug.nrl", source + "portug.exc",
                                 source + "portug.abr", source + "portug.pro", dir_.file("t.dfn")));
    quelo::queloSetFactors(0.6, 1.2);
    const char *const texts[] = {
        "Olá, 2 casas.",
        "Você quer comer o pão? Sim! Mas amanhã... talvez: (ou não); e depois",
        "a",
        "mar azul, mas um ovo... ",
        "Às 10h30 o Dr. Zé comprou 1.234,5 kg de pão-de-ló por R$ 3,50.",
        "?!?.., ,",
    };
    for (const char *utf8 : texts) {
        const std::string text = platform::utf8ToCp1252(utf8);
        quelo::applyProsody({""}, 1.0, 1.0);
        quelo::LineList expected;
        const quelo::LineList lines = quelo::queloPipeline(text, quelo::Stage::Lines);
        for (size_t i = 0; i < lines.size(); ++i)
            if (!lines[i].empty() || i + 1 == lines.size())
                expected.push_back("write " + lines[i]);
        quelo::applyProsody({""}, 1.0, 1.0);
        fake.calls.clear();
        quelo::queloSpeak(text);
        Calls written;
        for (const std::string &call : fake.calls)
            if (call.starts_with("write "))
                written.push_back(call);
        EXPECT_EQ(written, expected) << utf8;
    }
    quelo::queloStop();
}

TEST_F(QueloEngine, TheDispatcherStartsOnlyTheEngineAndWithItsFileSet) {
    const servers::QueloFileSet &files = servers::queloFileSet();
    EXPECT_EQ(files.database, "br4");
    EXPECT_EQ(files.rules, "\\talvek\\quelotts\\portug.nrl");
    EXPECT_EQ(files.diphones, "\\talvek\\quelotts\\portug.dfn");
    for (const int32_t kind : {0, 1, 2, 4, 5, 6, 54})
        EXPECT_FALSE(servers::serverStart(0, 3, 0, "", kind)) << kind;
    EXPECT_TRUE(fake.calls.empty());

    for (const char *extension : {"nrl", "exc", "abr", "pro", "dfn"})
        test_support::writeFile(dir_.file("talvek/quelotts/portug.") + extension, [&] {
            std::string bytes;
            platform::readWholeFile(dir_.file("t.") + extension, bytes, 1 << 20);
            return bytes;
        }());
    ASSERT_TRUE(servers::serverStart(0, 3, 11, "", 3));
    EXPECT_TRUE(fake.initPath.ends_with("br4"));
    // rate 3: durations times 0.6; pitch 11: pitch times 2
    const quelo::LineList lines = quelo::queloPipeline("a", quelo::Stage::Lines);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "a 30 50 100"), lines.end());
    servers::serverSpeak("a");
    EXPECT_NE(std::find(fake.calls.begin(), fake.calls.end(), "write ;a"), fake.calls.end());
    servers::serverClose();
    EXPECT_FALSE(wave::isWavePlaying());
    EXPECT_EQ(fake.calls.back(), "close");
}

TEST_F(QueloEngine, TheFileSetFromZebunaIni) {
    test_support::writeFile(dir_.file("ZEBUNA.INI"),
                            "[QUELOTTS]\r\nMBROLA_DB=voz\r\nDIR=c:\\dados\r\nBASE=meu\r\n");
    test_support::startMachine(dir_.path(), dir_.file("ZEBUNA.INI"));
    const servers::QueloFileSet &files = servers::queloFileSet();
    EXPECT_EQ(files.database, "voz");
    EXPECT_EQ(files.directory, "c:\\dados\\");
    EXPECT_EQ(files.exceptions, "c:\\dados\\meu.exc");
    EXPECT_EQ(files.prosody, "c:\\dados\\meu.pro");
}

#ifndef _WIN32
TEST_F(QueloEngine, TheDataDirectoryFromTheRegisteredDatabase) {
    test_support::writeFile(dir_.file("windows/registry.reg"),
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TCTS\\Mbrola\\databases\\BR4]\r\n"
                            "@=\"c:\\\\vozes\\\\br4\"\r\n");
    test_support::startMachine(dir_.path(), dir_.file("ZEBUNA.INI"));
    EXPECT_EQ(servers::queloFileSet().directory, "c:\\vozes\\");
    EXPECT_EQ(servers::queloFileSet().abbreviations, "c:\\vozes\\portug.abr");
}
#endif

// A whole game whose free text goes to the built-in engine.
class QueloGame : public ::testing::Test {
protected:
    QueloGame() {
        for (const char *key :
             {"GDINIC", "GDQUELET", "GDPARABE", "GDERA", "GDDENOVO", "GDTCHAU", "GDPLIM"})
            test_support::writeFile(dir_.file("talvek/som/quibo2/") + key + ".wav",
                                    test_support::wavOfMs(300));
        for (int code = 1; code < 256; ++code)
            test_support::writeFile(dir_.file("talvek/som/letras/_") + std::to_string(code) +
                                        ".wav",
                                    test_support::wavOfMs(100));
        for (const char *file : {"TESTE.IND", "TESTE.DIF", "regras.rgr", "portug.exc"})
            test_support::writeFile(dir_.file("talvek/som/difones/") + file, "");
        test_support::writeFile(dir_.file("talvek/som/quibo2/galdrino.pal"), "CASA\r\n");
        writeData(dir_);
        test_support::writeFile(dir_.file("ZEBUNA.INI"),
                                "[SINTETIZADOR]\r\nDIFONES3=TESTE\r\n[TRADUTOR]\r\nSAPI=S\r\n"
                                "[SERVFALA]\r\nTIPOSAPI=3\r\n"
                                "[QUELOTTS]\r\nMBROLA_DB=voz\r\nDIR=c:\\\r\nBASE=t\r\n");
        fake = FakeMbrola{};
        fake.samplesPerLine = 4000; // a quarter of a second a line
        serveFake();
    }
    ~QueloGame() override { platform::withdrawInProcessLibrary("mbrola.dll"); }

    int32_t play(const std::string &keys) {
        test_support::startMachine(dir_.path(), dir_.file("ZEBUNA.INI"), keys);
        headless::setAudioCapture(true);
        return test_support::exitCodeOf([] { game::runGame(); });
    }

    TempDir dir_;
};

TEST_F(QueloGame, TheWordGoesToTheEngineAndTheNextRecordingWaits) {
    EXPECT_EQ(play("asc"
                   "n"),
              0);
    EXPECT_NE(std::find(fake.calls.begin(), fake.calls.end(), "write ;CASA"), fake.calls.end());
    const auto sounds = test_support::soundsPlayed();
    const auto image = std::find(sounds.begin(), sounds.end(), "image");
    ASSERT_NE(image, sounds.end());
    EXPECT_EQ(*std::find(image, sounds.end(), "GDDENOVO.wav"), "GDDENOVO.wav");
    for (const auto &event : headless::transcript())
        EXPECT_FALSE(event.kind == headless::Event::Kind::Sound && event.cut) << event.text;
    // the engine's sound ends before the question's recording starts
    uint64_t engineEndUs = 0, questionStartUs = 0;
    for (const auto &block : headless::capturedTimedAudio()) {
        if (block.format.rate == quelo::MbrolaRate)
            engineEndUs = block.startUs + block.bytes.size() * 1000000 / (2 * quelo::MbrolaRate);
        else if (engineEndUs > 0 && questionStartUs == 0)
            questionStartUs = block.startUs;
    }
    EXPECT_GT(engineEndUs, 0u);
    EXPECT_GE(questionStartUs, engineEndUs);
}

TEST_F(QueloGame, AKeyStopsTheEngine) {
    test_support::startMachine(dir_.path(), dir_.file("ZEBUNA.INI"), "{AT 400}x");
    speech::initSpeech(3, "c:\\talvek\\som\\quibo2\\");
    const uint64_t start = headless::nowMs();
    speech::speakText("casa");
    speech::waitWhileSpeaking();
    EXPECT_LT(headless::nowMs() - start, 1000u); // the text lasts 2.5 s
    EXPECT_TRUE(console::keyPressed());
    bool cut = false;
    for (const auto &event : headless::transcript())
        cut = cut ||
              (event.kind == headless::Event::Kind::Sound && event.text == "image" && event.cut);
    EXPECT_TRUE(cut) << headless::transcriptText();
    speech::doneSpeech();
}

} // namespace
