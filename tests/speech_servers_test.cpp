// The SAPI 5 and SAPI 4 clients behind the dispatcher, against the headless
// backend's scripted engines in virtual time.
#include "platform/headless/headless.h"
#include "platform/headless/scripted_engines.h"
#include "platform/platform.h"
#include "tests/test_support.h"
#include "tradutor/servers/sapi5_client.h"
#include "tradutor/servers/server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;
using headless::EngineScript;

constexpr const char *StandardClass = "{96749377-3391-11D2-9EE3-00C04F797396}";
constexpr const char *SecondClass = "{D941651C-44E6-4C17-BADF-C36826FC3424}";
constexpr const char *VoiceInterfaces =
    "{269316D8-57BD-11D2-9EEE-00C04F797396} {A372ACD1-3BEF-4BBD-8FFB-CB3E2B416AF8}";

class ServersTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_support::writeFile(dir.file("ZEBUNA.INI"), "");
        test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"));
    }
    void TearDown() override {
        servers::serverClose();
        headless::unscriptSpeechEngines();
    }
    // Starts `kind` on the scripted engines with a fresh call log.
    bool start(int32_t kind, int32_t voice, int32_t rate = 0, int32_t pitch = 0,
               const EngineScript &script = EngineScript{}) {
        headless::scriptSpeechEngines(script);
        return servers::serverStart(voice, rate, pitch, "", kind);
    }
    // The calls logged since `from`, without the busy tests' waits.
    static Calls callsFrom(size_t from, bool withWaits = false) {
        const auto &all = headless::engineCalls();
        Calls out;
        for (size_t i = from; i < all.size(); ++i)
            if (withWaits || all[i].rfind("wait ", 0) != 0)
                out.push_back(all[i]);
        return out;
    }
    static bool logged(const std::string &call) {
        const auto &all = headless::engineCalls();
        return std::find(all.begin(), all.end(), call) != all.end();
    }
    static size_t beepsHeard() {
        const std::string transcript = headless::transcriptText();
        size_t count = 0;
        for (size_t at = transcript.find("beep\n"); at != std::string::npos;
             at = transcript.find("beep\n", at + 1))
            ++count;
        return count;
    }
    static void waitIdle() {
        while (servers::serverBusy(servers::Busy::Sounding))
            platform::waitMessage();
    }
    test_support::TempDir dir;
};

// ---- SAPI 5 -----------------------------------------------------------------

TEST_F(ServersTest, Sapi5StartSpeakBusyStopCloseInOrder) {
    ASSERT_TRUE(start(servers::ServerKindSapi5, 2, -5));
    EXPECT_EQ(callsFrom(0, true),
              (Calls{std::string("createVoice ") + StandardClass + " " + VoiceInterfaces,
                     "voice.eventInterests 33790", "voice.getVoices \"\" \"\"", "tokens.count 3",
                     "tokens.item 1", "voice.voice Beta", "voice.rate -5",
                     "voice.speakCompleteEvent", "wait 20 set"}));

    size_t mark = headless::engineCalls().size();
    const uint64_t before = headless::nowMs();
    servers::serverSpeak("casa");
    EXPECT_TRUE(servers::serverBusy(servers::Busy::Sounding));
    waitIdle();
    // 10 ms to the first sound, 50 ms a character.
    EXPECT_EQ(headless::nowMs() - before, 210u);
    EXPECT_EQ(callsFrom(mark), Calls{"voice.speak 17 casa"});

    servers::serverSpeak("");
    servers::serverStop();
    mark = headless::engineCalls().size();
    servers::serverClose();
    EXPECT_TRUE(logged("voice.speak 17  ")); // an empty text is a single space
    EXPECT_TRUE(logged("voice.speak 2  "));  // stop purges with a space
    EXPECT_EQ(callsFrom(mark), Calls{"voice.release"});
}

TEST_F(ServersTest, Sapi5KindsDifferOnlyInTheVoiceClass) {
    Calls seen[2];
    const int32_t kinds[] = {servers::ServerKindSapi5, servers::ServerKindSapi5Second};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(start(kinds[i], 1, 3));
        servers::serverSpeak("oi");
        waitIdle();
        servers::serverClose();
        seen[i] = callsFrom(0, true);
    }
    ASSERT_FALSE(seen[1].empty());
    EXPECT_EQ(seen[0][0], std::string("createVoice ") + StandardClass + " " + VoiceInterfaces);
    EXPECT_EQ(seen[1][0], std::string("createVoice ") + SecondClass + " " + VoiceInterfaces);
    seen[1][0] = seen[0][0];
    EXPECT_EQ(seen[0], seen[1]);
}

TEST_F(ServersTest, Sapi5VoiceNumberOutOfRangeTakesTheFirstVoiceAndDefaultRate) {
    struct Case {
        int32_t voice, rate;
        const char *item, *rateSet;
    } cases[] = {
        {0, 7, "tokens.item 0", "voice.rate 0"},   {-3, 7, "tokens.item 0", "voice.rate 0"},
        {4, -2, "tokens.item 0", "voice.rate 0"},  {3, -5, "tokens.item 2", "voice.rate -5"},
        {1, 10, "tokens.item 0", "voice.rate 10"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.voice);
        ASSERT_TRUE(start(servers::ServerKindSapi5, c.voice, c.rate));
        EXPECT_TRUE(logged(c.item));
        EXPECT_TRUE(logged(c.rateSet));
        servers::serverClose();
    }
}

TEST_F(ServersTest, Sapi5StartFailures) {
    EngineScript noVoices;
    noVoices.voices.clear();
    EngineScript noObject;
    noObject.createVoice = platform::ClassNotRegistered;
    EngineScript noList;
    noList.getVoices = platform::EFail;
    EngineScript noEvent;
    noEvent.completeEvent = platform::ENotImpl;
    for (const auto *script : {&noVoices, &noObject, &noList, &noEvent}) {
        EXPECT_FALSE(start(servers::ServerKindSapi5, 1, 0, 0, *script));
        EXPECT_FALSE(logged("wait 20 set")); // no busy test after a failed start
    }
    EngineScript refusedRate;
    refusedRate.putRate = platform::EInvalidArg;
    EXPECT_TRUE(start(servers::ServerKindSapi5, 1, 9, 0, refusedRate));
    EXPECT_TRUE(logged("voice.rate 9 failed"));
}

TEST_F(ServersTest, Sapi5FailedSpeakBeepsAndIsNotBusy) {
    EngineScript script;
    script.speak = platform::EFail;
    ASSERT_TRUE(start(servers::ServerKindSapi5, 1, 0, 0, script));
    servers::serverSpeak("casa");
    EXPECT_FALSE(servers::serverBusy(servers::Busy::Sounding));
    EXPECT_EQ(test_support::transcriptLines("beep").size(), 0u); // "beep" has no argument
    EXPECT_NE(headless::transcriptText().find("beep\n"), std::string::npos);
    EXPECT_TRUE(servers::sapi5Stop(servers::Sapi5Class::Standard)); // a failed purge
}

// A text that fails with a server that went away is handed back, without
// the SAPI 5 client's beep; any other failure counts as taken.
TEST_F(ServersTest, AFailedTextIsHandedBackOnlyWhenTheServerIsLost) {
    for (const int32_t kind : {servers::ServerKindSapi5, servers::ServerKindSapi4}) {
        for (const bool lost : {false, true}) {
            SCOPED_TRACE(std::to_string(kind) + (lost ? " lost" : " refused"));
            ASSERT_TRUE(start(kind, 1));
            EngineScript failing;
            failing.speak = failing.textData = platform::EFail;
            failing.serverLost = lost;
            headless::scriptSpeechEngines(failing);
            const size_t beeps = beepsHeard();
            EXPECT_EQ(servers::serverSpeak("casa"), !lost);
            EXPECT_FALSE(servers::serverBusy(servers::Busy::Sounding));
            EXPECT_EQ(beepsHeard() > beeps, kind == servers::ServerKindSapi5 && !lost);
            servers::serverClose();
        }
    }
}

TEST_F(ServersTest, Sapi5BusyPostsTheWakeUpMessage) {
    ASSERT_TRUE(start(servers::ServerKindSapi5, 1));
    servers::serverSpeak("casa comprida");
    ASSERT_TRUE(servers::sapi5Busy(servers::Sapi5Class::Standard));
    platform::Message message;
    bool woken = false;
    while (platform::peekMessage(message))
        woken |= message.kind == platform::Msg::User && message.code == 2980;
    EXPECT_TRUE(woken);
}

// ---- SAPI 4 -----------------------------------------------------------------

TEST_F(ServersTest, Sapi4StartSpeakBusyStopCloseInOrder) {
    ASSERT_TRUE(start(servers::ServerKindSapi4, 3, 150, 100));
    EXPECT_EQ(callsFrom(0),
              (Calls{"createAudio {CB96B400-C743-11CD-80E5-00AA003E4B50} 7 "
                     "{B68AD320-C743-11CD-80E5-00AA003E4B50}",
                     "createEnumerator {D67C0280-C743-11CD-80E5-00AA003E4B50} 7 "
                     "{05EB6C6D-DBAB-11CD-B3CA-00AA0047BA4F}",
                     "enum.reset", "enum.next Alpha", "enum.next Beta", "enum.next Gamma",
                     "enum.select Gamma", "central.register {05EB6C6F-DBAB-11CD-B3CA-00AA0047BA4F}",
                     "central.queryAttributes {0FD6E2A1-E77D-11CD-B3CA-00AA0047BA4F}",
                     "attributes.speed 150", "attributes.pitch 100", "attributes.release"}));

    size_t mark = headless::engineCalls().size();
    const uint64_t before = headless::nowMs();
    servers::serverSpeak("casa");
    waitIdle();
    EXPECT_EQ(headless::nowMs() - before, 210u);
    EXPECT_EQ(callsFrom(mark),
              (Calls{"central.textData 0 0 5 {E4963D40-C743-11CD-80E5-00AA003E4B50} casa",
                     "sink textDataStarted", "sink audioStart", "sink wordPosition 0",
                     "sink textDataDone", "sink audioStop"}));

    mark = headless::engineCalls().size();
    servers::serverClose();
    EXPECT_EQ(callsFrom(mark),
              (Calls{"enum.release", "central.unregister 1", "central.release", "audio.release"}));
}

TEST_F(ServersTest, Sapi4ModeByVoiceNumber) {
    struct Case {
        int32_t voice;
        const char *selected;
    } cases[] = {{0, "enum.select Alpha"}, {3, "enum.select Gamma"}, {5, "enum.select Gamma"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.voice);
        ASSERT_TRUE(start(servers::ServerKindSapi4, c.voice));
        EXPECT_TRUE(logged(c.selected));
        servers::serverClose();
    }
    EXPECT_FALSE(start(servers::ServerKindSapi4, -1));
    EXPECT_TRUE(headless::engineCalls().empty());
}

TEST_F(ServersTest, Sapi4ZeroOrNegativeSettingsKeepTheEngines) {
    struct Case {
        int32_t speed, pitch;
        Calls attributes;
    } cases[] = {
        {0, 0, {}},
        {-20, 0, {}},
        {180, 0, {"attributes.speed 180"}},
        {0, -1, {"attributes.pitch 65535"}},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(start(servers::ServerKindSapi4, 1, c.speed, c.pitch));
        Calls set;
        for (const auto &call : headless::engineCalls())
            if (call.rfind("attributes.s", 0) == 0 || call.rfind("attributes.p", 0) == 0)
                set.push_back(call);
        EXPECT_EQ(set, c.attributes) << c.speed << " " << c.pitch;
        servers::serverClose();
    }
}

TEST_F(ServersTest, Sapi4TextsAreTrimmedDottedOrCut) {
    const std::string longText(70000, 'a');
    struct Case {
        std::string text;
        std::string sent; // "" when nothing is sent
    } cases[] = {
        {" 7 ", "central.textData 0 0 3 {E4963D40-C743-11CD-80E5-00AA003E4B50} 7."},
        {"   ", ""},
        {"", ""},
        {"12", "central.textData 0 0 3 {E4963D40-C743-11CD-80E5-00AA003E4B50} 12"},
        {longText, "central.textData 0 0 64000 {E4963D40-C743-11CD-80E5-00AA003E4B50} " +
                       std::string(40, 'a') + "..."},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(start(servers::ServerKindSapi4, 1));
        const size_t mark = headless::engineCalls().size();
        servers::serverSpeak(c.text);
        const Calls calls = callsFrom(mark);
        EXPECT_EQ(calls.empty() ? std::string() : calls.front(), c.sent);
        servers::serverStop();
        servers::serverClose();
    }
}

TEST_F(ServersTest, Sapi4BusyModeOneIgnoresTheAudioStillPlaying) {
    EngineScript script;
    script.audioTailMs = 300;
    ASSERT_TRUE(start(servers::ServerKindSapi4, 1, 0, 0, script));
    servers::serverSpeak("casa");
    while (servers::serverBusy(servers::Busy::Queued))
        platform::waitMessage();
    EXPECT_TRUE(
        servers::serverBusy(servers::Busy::Sounding)); // the audio goes on after the text is done
    const uint64_t textDone = headless::nowMs();
    waitIdle();
    EXPECT_EQ(headless::nowMs() - textDone, 300u);
}

TEST_F(ServersTest, Sapi4StopResetsTheAudioAndIsIdleAtOnce) {
    ASSERT_TRUE(start(servers::ServerKindSapi4, 1));
    servers::serverSpeak("uma frase comprida");
    while (!logged("sink audioStart"))
        platform::waitMessage(), servers::serverBusy(servers::Busy::Sounding);
    const uint64_t before = headless::nowMs();
    servers::serverStop();
    EXPECT_EQ(headless::nowMs() - before, 200u); // 50 ms before the reset, 150 after
    EXPECT_TRUE(logged("central.audioReset"));
    EXPECT_FALSE(servers::serverBusy(servers::Busy::Sounding));
    EXPECT_EQ(headless::textsSounding(), 0u);
}

TEST_F(ServersTest, Sapi4FailedTextDataStopsTheEngine) {
    ASSERT_TRUE(start(servers::ServerKindSapi4, 1));
    servers::serverSpeak("primeira frase");
    while (!logged("sink audioStart"))
        platform::waitMessage(), servers::serverBusy(servers::Busy::Sounding);
    EngineScript refusing;
    refusing.textData = platform::EFail;
    headless::scriptSpeechEngines(refusing);
    servers::serverSpeak("segunda");
    EXPECT_TRUE(logged("central.audioReset"));
    EXPECT_FALSE(servers::serverBusy(servers::Busy::Sounding));
}

TEST_F(ServersTest, Sapi4StartFailuresReleaseWhatWasMade) {
    struct Case {
        const char *what;
        EngineScript script;
        Calls released;
    };
    std::vector<Case> cases(5);
    cases[0] = {"audio", {}, {}};
    cases[0].script.createAudio = platform::ClassNotRegistered;
    cases[1] = {"enumerator", {}, {"audio.release"}};
    cases[1].script.createEnumerator = platform::ClassNotRegistered;
    cases[2] = {"next", {}, {"audio.release", "enum.release"}};
    cases[2].script.nextFailsAt = 1;
    cases[3] = {"select", {}, {"audio.release", "enum.release"}};
    cases[3].script.select = platform::EFail;
    cases[4] = {"register", {}, {"enum.release", "central.release", "audio.release"}};
    cases[4].script.registerSink = platform::EFail;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(start(servers::ServerKindSapi4, 2, 0, 0, c.script));
        Calls released;
        for (const auto &call : headless::engineCalls())
            if (call.find("release") != std::string::npos || call.find("unregister") == 0)
                released.push_back(call);
        EXPECT_EQ(released, c.released);
    }
}

TEST_F(ServersTest, Sapi4StartPutsTheCurrentDirectoryBack) {
    // The current directory starts below the drive root, where the program's
    // paths lie: on Windows a directory outside it has a drive letter that
    // the test host would map below the root when it is put back.
    const std::filesystem::path processDirectory = std::filesystem::current_path();
    test_support::makeDirectories(dir.file("antes"));
    ASSERT_TRUE(platform::setCurrentDirectory("c:\\antes"));
    const std::string before = platform::currentDirectory();
    for (const bool registers : {true, false}) {
        EngineScript script;
        script.selectChangesDirectory = dir.path();
        if (!registers)
            script.registerSink = platform::EFail;
        EXPECT_EQ(start(servers::ServerKindSapi4, 1, 0, 0, script), registers);
        EXPECT_EQ(platform::currentDirectory(), before);
        servers::serverClose();
    }
    std::filesystem::current_path(processDirectory);
}

// ---- the dispatcher -----------------------------------------------------------

TEST_F(ServersTest, EveryKindButThreeFiveAndFiftyFourIsSapi4) {
    struct Case {
        int32_t kind;
        const char *firstCall; // "" for none
    } cases[] = {{0, "createAudio"},
                 {1, "createAudio"},
                 {2, "createAudio"},
                 {4, "createAudio"},
                 {6, "createAudio"},
                 {-7, "createAudio"},
                 {55, "createAudio"},
                 {5, "createVoice {96749377"},
                 {54, "createVoice {D941651C"},
                 {3, ""}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        start(c.kind, 1);
        const auto &calls = headless::engineCalls();
        if (*c.firstCall == '\0')
            EXPECT_TRUE(calls.empty());
        else
            EXPECT_TRUE(!calls.empty() && calls.front().rfind(c.firstCall, 0) == 0);
        servers::serverClose();
    }
}

} // namespace
