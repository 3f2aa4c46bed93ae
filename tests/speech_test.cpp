// The speech façade on the headless backend: configuration lookup, start of
// the speech layer, recordings and the native path of speakText.
#include "console/console.h"
#include "platform/headless/headless.h"
#include "platform/headless/scripted_engines.h"
#include "platform/host_settings.h"
#include "platform/platform.h"
#include "tests/test_support.h"
#include "tradutor/diphone/native_voice.h"
#include "tradutor/speech/config.h"
#include "tradutor/speech/setting_ranges.h"
#include "tradutor/speech/speech.h"
#include "tradutor/speech/wave_player.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

namespace {

using test_support::TempDir;
using Names = std::vector<std::string>;

constexpr size_t Unit = 441; // samples of every recording here: exactly 40 ms
constexpr uint64_t UnitMs = 40;

std::string letterFile(uint8_t c) {
    return "_" + std::to_string(c) + ".wav";
}

Names lettersOf(const std::string &text) {
    Names names;
    for (const char c : text)
        names.push_back(letterFile(static_cast<uint8_t>(c)));
    return names;
}

Names join(std::initializer_list<Names> parts) {
    Names all;
    for (const auto &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// ---- configuration --------------------------------------------------------

class ConfigTest : public ::testing::Test {
protected:
    void start(const std::string &ini) {
        test_support::writeFile(dir.file("ZEBUNA.INI"), ini);
        test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"));
    }
    TempDir dir;
};

struct RootCase {
    const char *value;
    const char *expected;
};

TEST_F(ConfigTest, AtSignsTakeTheSystemRoot) {
    start("[ZEBUNA]\r\nPGMZEBUNA=c:\\raiz\r\n[T]\r\n"
          "A=@\\som\\letras\\\r\nB=@som\r\nC=x@\\y\r\nD=a@b\r\nE=@\\a@\\b\r\nF=plain\r\n");
    const RootCase cases[] = {
        {"A", "c:\\raiz\\som\\letras\\"}, {"B", "c:\\raizsom"}, {"C", "xc:\\raiz\\y"}, {"D", "a@b"},
        {"E", "c:\\raiz\\ac:\\raiz\\b"},  {"F", "plain"},       {"ABSENT", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(speech::readConfig("T", c.value), c.expected) << c.value;
    EXPECT_EQ(speech::readConfig("", "PGMZEBUNA"), "c:\\raiz"); // empty section: ZEBUNA
}

TEST_F(ConfigTest, MissingOrIndirectRootIsTheStartDirectory) {
    const std::string startDir = platform::currentDirectory();
    start("[T]\r\nA=@\\som\r\n");
    EXPECT_EQ(speech::readConfig("T", "A"), startDir + "\\som");
    start("[ZEBUNA]\r\nPGMZEBUNA=@\\outra\r\n[T]\r\nA=@\\som\r\n");
    EXPECT_EQ(speech::readConfig("T", "A"), startDir + "\\som");
}

TEST_F(ConfigTest, RootHoldingAnAtSignIsNotExpandedAgain) {
    start("[ZEBUNA]\r\nPGMZEBUNA=c:\\r@\\s\r\n[T]\r\nA=@\\v\r\nB=x@\\y\r\n");
    EXPECT_EQ(speech::readConfig("T", "A"), "c:\\r@\\s\\v");
    EXPECT_EQ(speech::readConfig("T", "B"), "xc:\\r@\\s\\y");
}

// Restores the process's directories when a test moved them.
struct DirectoryGuard {
    std::filesystem::path cwd = std::filesystem::current_path();
    ~DirectoryGuard() {
        std::filesystem::current_path(cwd);
        platform::setWindowsDirectory("");
        platform::setConfigOverride("");
    }
};

TEST_F(ConfigTest, FileInTheStartDirectoryWhenTheWindowsDirectoryHasNone) {
    DirectoryGuard guard;
    test_support::writeFile(dir.file("start/ZEBUNA.INI"), "[T]\r\nA=inicio\r\n");
    test_support::makeDirectories(dir.file("windows"));
    start("");
    platform::setConfigOverride("");
    platform::setWindowsDirectory(dir.file("windows"));
    std::filesystem::current_path(dir.file("start"));
    speech::moduleStart(); // records the start directory
    EXPECT_EQ(speech::readConfig("T", "A"), "inicio");

    test_support::writeFile(dir.file("windows/ZEBUNA.INI"), "[T]\r\nA=janelas\r\n");
    EXPECT_EQ(speech::readConfig("T", "A"), "janelas");
}

struct IntegerCase {
    const char *text;
    std::optional<int32_t> value;
};

TEST(ConfigIntegers, DecimalOrHexadecimalSignedWithLeadingBlanks) {
    const IntegerCase cases[] = {
        {"12", 12},
        {"  -7", -7},
        {"+3", 3},
        {"$1F", 31},
        {"0x10", 16},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"$100000000", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"abc", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(speech::parseConfigInteger(c.text), c.value) << '"' << c.text << '"';
}

// Every number of [SINTETIZADOR] is held to its range: an absurd value is
// the nearest end of it, a usual one stays as it is.
TEST_F(ConfigTest, SynthesizerNumbersAreHeldToTheirRanges) {
    struct Case {
        const char *line;
        int32_t speech::SynthSettings::*field;
        int32_t expected;
    };
    using S = speech::SynthSettings;
    const Case cases[] = {
        {"CORTEFON3=300", &S::unitCut, 300},
        {"CORTEFON3=-99999", &S::unitCut, 0},
        {"CORTEFON3=11026", &S::unitCut, 11025},
        {"CORTEFON3=$7FFFFFFF", &S::unitCut, 11025},
        {"SOBRAFON3=200", &S::unitKeep, 200},
        {"SOBRAFON3=-1", &S::unitKeep, 0},
        {"SOBRAFON3=70000", &S::unitKeep, 65535},
        {"INTERPAL3=1500", &S::wordGap, 1500},
        {"INTERPAL3=2147483647", &S::wordGap, 22050},
        {"INTERPAL3=-2147483648", &S::wordGap, 0},
        {"PAUSAPONTO3=999999999", &S::pauseFullStop, 5000},
        {"PAUSAPONTO3=-250", &S::pauseFullStop, 0},
        {"PAUSAPONTO3=5000", &S::pauseFullStop, 5000},
        {"PAUSAPONTO3=muito", &S::pauseFullStop, 250},
        {"PAUSAVIRG3=0x10000", &S::pauseComma, 5000},
        {"PAUSAVIRG3=80", &S::pauseComma, 80},
        {"PAUSADOISPONTOS3=-1", &S::pauseColon, 0},
        {"PAUSADOISPONTOS3=", &S::pauseColon, 200},
    };
    for (const Case &c : cases) {
        start(std::string("[SINTETIZADOR]\r\n") + c.line + "\r\n");
        EXPECT_EQ(speech::readSynthSettings(3).*c.field, c.expected) << c.line;
    }
}

// VOZ, VELOCIDADE and TOM as each kind of server is given them.
TEST(ServerSettings, HeldToTheRangesOfTheServerKind) {
    struct Case {
        int32_t kind, voice, rate, pitch;
        speech::ServerSettings expected;
    };
    constexpr int32_t Max = INT32_MAX, Min = INT32_MIN;
    const Case cases[] = {
        // The built-in engine and SAPI 5: -10..10; above 10 the rate is 0.
        {3, 0, 3, -2, {0, 3, -2}},
        {3, 0, Min, Max, {0, -10, 10}},
        {3, 0, 11, -11, {0, 0, -10}},
        {5, 2, -10, 0, {2, -10, 0}},
        {5, Max, -50, 0, {999, -10, 0}},
        {54, Min, Max, 0, {-1, 0, 0}},
        // SAPI 4 (kind 4): words per minute and Hz, 0 keeps the engine's own.
        {4, 1, 180, 120, {1, 180, 120}},
        {4, Max, Max, Max, {999, 1000, 1000}},
        {4, -3, -5, Min, {-1, 0, 0}},
        // Another SAPI 4 kind: a rate above 10 is 0 first.
        {7, 1, 180, 120, {1, 0, 120}},
        {7, 1, 8, 2000, {1, 8, 1000}},
    };
    for (const Case &c : cases) {
        const speech::ServerSettings got =
            speech::serverSettingsFor(c.kind, c.voice, c.rate, c.pitch);
        EXPECT_EQ(got.voice, c.expected.voice) << "kind " << c.kind << " voice " << c.voice;
        EXPECT_EQ(got.rate, c.expected.rate) << "kind " << c.kind << " rate " << c.rate;
        EXPECT_EQ(got.pitch, c.expected.pitch) << "kind " << c.kind << " pitch " << c.pitch;
    }
}

// ---- the speech layer -----------------------------------------------------

const char *const NumberPieces[] = {"_cento", "_e",       "_vinte",   "_tres",
                                    "_mil",   "_quatroc", "_cinquen", "_seis"};

class SpeechTest : public ::testing::Test {
protected:
    SpeechTest() {
        // Voices without units: their rules spell every letter, so a run of
        // text is synthesized from the letter recordings, 40 ms a letter.
        for (const char *file : {"VOZ.IND", "VOZ.DIF", "CINCO123.IND", "CINCO123.DIF", "TRES.IND",
                                 "TRES.DIF", "regras.rgr", "portug.exc"})
            test_support::writeFile(dir.file("difones/") + file, "");
        for (int code = 1; code < 256; ++code)
            recording("letras/" + letterFile(static_cast<uint8_t>(code)), Unit);
        recording("letras/_zero.wav", Unit);
        recording("letras/_MENOS.wav", Unit);
        for (const char *piece : NumberPieces)
            recording(std::string("letras/") + piece + ".wav", Unit);
        // The numbers the tests say have lengths of their own.
        recording("letras/_sete.wav", 3 * Unit);
        recording("letras/_cinco.wav", 5 * Unit);
    }
    void recording(const std::string &name, size_t samples) {
        test_support::writeFile(dir.file(name),
                                test_support::wavImage(std::vector<uint8_t>(samples, 100)));
    }
    // Starts the machine and the speech layer; `synth` adds lines to the
    // SINTETIZADOR section.
    void start(const std::string &synth = "", const std::string &keys = "") {
        test_support::writeFile(dir.file("ZEBUNA.INI"),
                                "[TRADUTOR]\r\nDIRLETRAS=c:\\letras\\\r\nDIRDIFONES=c:\\difones\r\n"
                                "[SINTETIZADOR]\r\nDIFONES3=VOZ\r\n" +
                                    synth);
        test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"), keys);
        speech::initSpeech(3, "c:\\sons");
    }
    static std::vector<headless::Event> sounds() {
        std::vector<headless::Event> out;
        for (const auto &event : headless::transcript())
            if (event.kind == headless::Event::Kind::Sound)
                out.push_back(event);
        return out;
    }
    TempDir dir;
};

struct TextCase {
    const char *text;
    Names sounds;
};

TEST_F(SpeechTest, NativePathSpeaksRunByRun) {
    const Names image{"image"};
    const Names zero{"_zero.wav"};
    const Names click = image;
    const TextCase cases[] = {
        {"007", join({zero, zero, image})},
        {"1234567", lettersOf("1234567")},
        {"123456", image},
        {"-5", join({{"_MENOS.wav"}, image})},
        {"www.x", join({lettersOf("www."), image})},
        {"......", join({lettersOf("...."), click, click})},
        {"CASA", image},
        {"1-2", lettersOf("1-2")},
        {"a-b", join({image, image})},
        {"a - b", join({image, {"_45.wav"}, image})},
        {"http://x", join({image, lettersOf("://"), image})},
        {"(a)", join({{"_40.wav"}, image, {"_41.wav"}})},
        {"a\tb", join({image, image})},
        {"x=7", join({image, {"_61.wav"}, image})},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        start();
        speech::speakText(c.text);
        EXPECT_EQ(test_support::soundsPlayed(), c.sounds);
    }
}

TEST_F(SpeechTest, NumbersAreReadFromTheirWords) {
    start();
    speech::speakText("007");
    ASSERT_EQ(sounds().size(), 3u);
    EXPECT_EQ(sounds()[2].value, 3 * UnitMs); // _sete
    start();
    speech::speakText("-5");
    ASSERT_EQ(sounds().size(), 2u);
    EXPECT_EQ(sounds()[1].value, 5 * UnitMs); // _cinco
}

struct PauseCase {
    const char *text;
    const char *synth;
    uint64_t ms;
};

TEST_F(SpeechTest, PunctuationPausesFollowTheConfiguration) {
    const PauseCase cases[] = {
        {"www.x", "", 5 * UnitMs},
        {"a. b", "", 3 * UnitMs + 250},
        {"a.b", "", 3 * UnitMs},
        {"a, b", "", 3 * UnitMs + 150},
        {"a: b", "", 3 * UnitMs + 200},
        {"a:b", "", 3 * UnitMs + 200},
        {"(a", "", 2 * UnitMs + 200},
        {"a. b", "PAUSAPONTO3=400\r\n", 3 * UnitMs + 400},
        {"a, b", "PAUSAVIRG3=$64\r\n", 3 * UnitMs + 100},
        {"a: b", "PAUSADOISPONTOS3=x\r\n", 3 * UnitMs + 200},
        {"a. b", "PAUSAPONTO3=999999999\r\n", 3 * UnitMs + 5000},
        {"a, b", "PAUSAVIRG3=-150\r\n", 3 * UnitMs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " with " + c.synth);
        start(c.synth);
        speech::speakText(c.text);
        EXPECT_EQ(headless::nowMs(), c.ms);
    }
}

TEST_F(SpeechTest, KeyEndsSpeakTextAndStaysQueued) {
    start("", "{AT 60}z");
    speech::speakText("abc");
    ASSERT_EQ(test_support::soundsPlayed(), Names{"image"});
    EXPECT_TRUE(sounds()[0].cut);
    EXPECT_EQ(headless::nowMs(), 60u);
    EXPECT_FALSE(speech::isSpeaking());
    ASSERT_TRUE(console::keyPressed());
    EXPECT_EQ(console::readKey(), 'z');
}

TEST_F(SpeechTest, MessagesComeFromTheSoundOrTheLettersDirectory) {
    recording("sons/GDSOM.wav", Unit);
    recording("letras/GDLETRA.wav", Unit);
    start();
    speech::speakMessage("GDSOM");
    speech::speakMessage("GDLETRA"); // not in the sound directory: silence
    speech::speakMessage("_zero");
    EXPECT_EQ(test_support::soundsPlayed(), (Names{"GDSOM.wav", "_zero.wav"}));
}

TEST_F(SpeechTest, ClickPlaysUncompressedAndRestoresCompression) {
    start("CORTAFALA3=S\r\n");
    ASSERT_TRUE(wave::compression());
    speech::playClick();
    EXPECT_TRUE(wave::compression());
    ASSERT_EQ(sounds().size(), 1u);
    EXPECT_EQ(sounds()[0].text, "image");
    EXPECT_EQ(sounds()[0].value, 23u); // 256 samples at 11025 Hz
}

TEST_F(SpeechTest, PendingKeyMeansNotSpeaking) {
    start("", "{AT 0}k");
    EXPECT_FALSE(speech::isSpeaking());
    speech::speakMessage("_zero");
    EXPECT_TRUE(sounds().empty());
    EXPECT_EQ(console::readKey(), 'k');
}

struct SwitchCase {
    const char *synth;
    bool on;
};

TEST_F(SpeechTest, CompressionSwitchOfTheSpeed) {
    const SwitchCase switches[] = {
        {"", false},
        {"CORTAFALA3=S\r\n", true},
        {"CORTAFALA3=sim\r\n", true},
        {"CORTAFALA3=N\r\n", false},
        {"CORTAFALA3=nao\r\n", false},
        {"CORTAFALA3=\r\n", false},
    };
    for (const auto &c : switches) {
        start(c.synth);
        EXPECT_EQ(wave::compression(), c.on) << c.synth;
    }
}

TEST_F(SpeechTest, SpeedComesFromTheConfigurationWhenNotGiven) {
    test_support::writeFile(dir.file("ZEBUNA.INI"),
                            "[TRADUTOR]\r\nVELOCIDADE=5\r\nDIRLETRAS=c:\\letras\\\r\n"
                            "DIRDIFONES=c:\\difones\r\n[SINTETIZADOR]\r\nDIFONES5=CINCO1234\r\n"
                            "DIFONES3=TRES\r\nRAPIDINHO5=S\r\n");
    test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"));
    speech::initSpeech(0, "c:\\sons");
    EXPECT_EQ(diphone::voiceName(), "CINCO123");
    speech::speakMessage("_zero");
    EXPECT_EQ(wave::currentFormat().rate, 16537u);

    speech::initSpeech(9, "c:\\sons"); // out of 1..5: speed 3
    EXPECT_EQ(diphone::voiceName(), "TRES");
}

TEST_F(SpeechTest, ServerThatCannotStartLeavesTheNativeVoice) {
    test_support::writeFile(dir.file("ZEBUNA.INI"),
                            "[TRADUTOR]\r\nSAPI=S\r\nDIRLETRAS=c:\\letras\\\r\n"
                            "DIRDIFONES=c:\\difones\r\n[SINTETIZADOR]\r\nDIFONES3=VOZ\r\n"
                            "[SERVFALA]\r\nTIPOSAPI=3\r\n");
    test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"));
    speech::initSpeech(3, "c:\\sons");
    speech::speakText("ab");
    EXPECT_EQ(test_support::soundsPlayed(), Names{"image"});
}

// A speech server of kind 5 on the scripted engines.
class SpeechServerTest : public SpeechTest {
protected:
    void startWithServer(const std::string &keys = "") {
        test_support::writeFile(dir.file("ZEBUNA.INI"),
                                "[TRADUTOR]\r\nSAPI=S\r\nDIRLETRAS=c:\\letras\\\r\n"
                                "DIRDIFONES=c:\\difones\r\n[SINTETIZADOR]\r\nDIFONES3=VOZ\r\n"
                                "[SERVFALA]\r\nTIPOSAPI=5\r\nVOZ=2\r\n");
        test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"), keys);
        headless::scriptSpeechEngines(headless::EngineScript{});
        speech::initSpeech(3, "c:\\sons");
    }
    void TearDown() override {
        speech::doneSpeech();
        headless::unscriptSpeechEngines();
    }
};

TEST_F(SpeechServerTest, TheTextGoesToTheServerAndTheNextRecordingWaitsForItsEnd) {
    startWithServer();
    speech::speakText("casa");
    EXPECT_TRUE(test_support::soundsPlayed().empty()); // not the native voice
    speech::speakMessage("_zero");
    EXPECT_EQ(headless::nowMs(), 210u + UnitMs); // the text, then the recording
    const std::string transcript = headless::transcriptText();
    const size_t end = transcript.find("engine end");
    ASSERT_NE(end, std::string::npos);
    EXPECT_LT(transcript.find("engine speak casa"), transcript.find("engine begin"));
    EXPECT_LT(end, transcript.find("sound _zero.wav"));
}

TEST_F(SpeechServerTest, AKeyWhileTheServerSpeaksCancelsItAndStaysQueued) {
    startWithServer("{SPEAKING}k");
    speech::speakText("uma frase comprida");
    speech::waitServerIdle();
    EXPECT_LT(headless::nowMs(), 300u); // the text alone would last 910 ms
    // The purge speaks a blank and waits for it.
    EXPECT_EQ(test_support::transcriptLines("engine"),
              (Names{"speak uma frase comprida", "begin", "cancel", "speak  ", "begin", "end"}));
    EXPECT_EQ(headless::textsSounding(), 0u);
    ASSERT_TRUE(console::keyPressed());
    EXPECT_EQ(console::readKey(), 'k');
}

// A text lost with its server is read by the native voice instead; a text
// the server refused is the SAPI 5 client's beep.
TEST_F(SpeechServerTest, ATextLostWithTheServerIsReadByTheNativeVoice) {
    for (const bool lost : {false, true}) {
        SCOPED_TRACE(lost ? "lost" : "refused");
        startWithServer();
        headless::EngineScript failing;
        failing.speak = platform::EFail;
        failing.serverLost = lost;
        headless::scriptSpeechEngines(failing);
        speech::speakText("casa");
        EXPECT_EQ(test_support::soundsPlayed(), lost ? Names{"image"} : Names{});
        EXPECT_EQ(headless::transcriptText().find("beep\n") != std::string::npos, !lost);
        speech::doneSpeech();
    }
}

struct StartFailureCase {
    const char *what;
    std::string ini;
    const char *printed;
};

TEST_F(SpeechTest, NativeVoiceThatCannotStartEndsTheProgramAfterEnter) {
    const StartFailureCase cases[] = {
        {"no SINTETIZADOR section", "[TRADUTOR]\r\nDIRLETRAS=c:\\letras\\\r\n",
         "Erro de inicializa\xe7\xe3o: 1\r\nBanco de dados de voz: \r\n"},
        {"no letters directory",
         "[TRADUTOR]\r\nDIRLETRAS=c:\\nada\\\r\nDIRDIFONES=c:\\difones\r\n"
         "[SINTETIZADOR]\r\nDIFONES3=VOZ\r\n",
         "Erro de inicializa\xe7\xe3o: 1\r\nBanco de dados de voz: VOZ\r\n"},
        {"no diphone directory",
         "[TRADUTOR]\r\nDIRLETRAS=c:\\letras\\\r\nDIRDIFONES=c:\\nada\r\n"
         "[SINTETIZADOR]\r\nDIFONES3=VOZ\r\n",
         "Erro de inicializa\xe7\xe3o: 1\r\nBanco de dados de voz: VOZ\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        test_support::writeFile(dir.file("ZEBUNA.INI"), c.ini);
        test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"), "{ENTER}");
        EXPECT_EQ(test_support::exitCodeOf([] { speech::initSpeech(3, "c:\\sons"); }), 1);
        EXPECT_NE(test_support::textPrinted().find(c.printed), std::string::npos)
            << test_support::textPrinted();
        EXPECT_TRUE(headless::keyScriptExhausted()) << "did not wait for Enter";
    }
}

TEST(RandomRange, UpperHalfOfTheSeedTimesTheRange) {
    speech::setRandomSeed(1);
    // 1 x 134775813 + 1 = 134775814; 134775814 x 1000 / 2^32 = 31.4
    EXPECT_EQ(speech::randomRange(1000), 31u);
    speech::setRandomSeed(0xFFFFFFFFu);
    // (2^32 - 1) x 134775813 + 1 wraps to 2^32 - 134775812
    EXPECT_EQ(speech::randomRange(1u << 16), (0x100000000ull - 134775812) >> 16);
    speech::setRandomSeed(42);
    for (int i = 0; i < 1000; ++i)
        ASSERT_LT(speech::randomRange(60), 60u);
    EXPECT_EQ(speech::randomRange(0), 0u);
}

} // namespace
