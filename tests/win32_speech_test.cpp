// The Windows host's speech engines through real COM: the SAPI clients
// behind the dispatcher against the stand-in engines of the Wine checks
// (tests/win32), served to this process alone. What the stand-ins log shows
// the calls with their arguments, the notifications arriving on this thread
// from its message pump, every object released, and what the clients do
// when an engine refuses a call.
#include "platform/headless/headless.h"
#include "platform/headless/scripted_engines.h"
#include "platform/platform.h"
#include "platform/speech_engines.h"
#include "tests/test_support.h"
#include "tradutor/servers/sapi5_client.h"
#include "tradutor/servers/server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

constexpr const char *Ok = " -> 0x00000000";
constexpr const char *OnThisThread = " [creating thread, message pump]";

// One stand-in DLL, loaded from the build tree and serving its classes.
struct StandIn {
    platform::LibraryHandle library = nullptr;
    template <typename Function> Function *function(const char *name) const {
        return reinterpret_cast<Function *>(platform::librarySymbol(library, name));
    }
};

StandIn standIns[2];

// Sets one of the stand-ins' environment values; empty removes it.
void setStandIn(const char *name, const std::string &value) {
    using Set = void(const char *, const char *);
    standIns[0].function<Set>("StandInSet")(name, value.empty() ? nullptr : value.c_str());
}

class StandInEngines : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        headless::unscriptSpeechEngines(); // these tests ask for the host's own engines
        platform::initializeComThread();
        const char *names[] = {ZEB_STANDIN_DIR "/zebsapi5.dll", ZEB_STANDIN_DIR "/zebsapi4.dll"};
        for (int i = 0; i < 2; ++i) {
            standIns[i].library = platform::loadLibrary(names[i]);
            ASSERT_NE(standIns[i].library, nullptr) << names[i];
            ASSERT_EQ(standIns[i].function<long()>("StandInServe")(), 0) << names[i];
        }
    }
    static void TearDownTestSuite() {
        for (const StandIn &standIn : standIns)
            if (standIn.library)
                standIn.function<void()>("StandInWithdraw")();
    }
    void SetUp() override {
        test_support::writeFile(dir.file("ZEBUNA.INI"), "");
        test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"));
        headless::unscriptSpeechEngines();
        test_support::writeFile(dir.file("calls.log"), "");
        setStandIn("ZEB_STANDIN_LOG", dir.file("calls.log"));
        setStandIn("ZEB_STANDIN_MS", "5");
        setStandIn("ZEB_STANDIN_FAIL", "");
        setStandIn("ZEB_STANDIN_VOICES", "");
    }
    void TearDown() override { servers::moduleEnd(); }

    // The calls one stand-in logged, without its name, events included or not.
    Calls calls(const std::string &engine, bool withEvents = true) const {
        std::ifstream in(dir.file("calls.log"));
        Calls out;
        for (std::string line; std::getline(in, line);)
            if (line.rfind(engine + " ", 0) == 0 &&
                (withEvents || line.find(" event ") == std::string::npos))
                out.push_back(line.substr(engine.size() + 1));
        return out;
    }
    size_t count(const std::string &engine, const std::string &start) const {
        const Calls all = calls(engine);
        return static_cast<size_t>(std::count_if(
            all.begin(), all.end(), [&](const auto &call) { return call.rfind(start, 0) == 0; }));
    }
    bool logged(const std::string &engine, const std::string &call) const {
        return count(engine, call) > 0;
    }
    static void waitIdle() {
        while (servers::serverBusy(servers::Busy::Sounding))
            platform::waitMessage();
    }
    // Pumps until the stand-in has logged a line starting with `start`.
    void waitFor(const std::string &engine, const std::string &start) const {
        while (!logged(engine, start) && servers::serverBusy(servers::Busy::Sounding))
            platform::waitMessage();
    }
    // Every object a stand-in made is gone.
    void expectAllReleased() const {
        EXPECT_EQ(made("sapi5", "CreateInstance"), count("sapi5", "voice destroyed"));
        EXPECT_EQ(made("sapi4", "CreateInstance {CB96B400"),
                  count("sapi4", "audio destination destroyed"));
        EXPECT_EQ(made("sapi4", "CreateInstance {D67C0280"),
                  count("sapi4", "enumerator destroyed"));
        EXPECT_EQ(made("sapi4", "Select"), count("sapi4", "engine "));
    }
    // The calls starting with `start` that succeeded.
    size_t made(const std::string &engine, const std::string &start) const {
        const Calls all = calls(engine);
        const std::string ok = Ok;
        return static_cast<size_t>(std::count_if(all.begin(), all.end(), [&](const auto &call) {
            return call.rfind(start, 0) == 0 && call.size() > ok.size() &&
                   call.compare(call.size() - ok.size(), ok.size(), ok) == 0;
        }));
    }

    test_support::TempDir dir;
};

TEST_F(StandInEngines, Sapi5VoiceCallsInOrderForBothClasses) {
    struct Case {
        int32_t kind;
        const char *voiceClass;
    } cases[] = {{servers::ServerKindSapi5, "{96749377-3391-11D2-9EE3-00C04F797396}"},
                 {servers::ServerKindSapi5Second, "{D941651C-44E6-4C17-BADF-C36826FC3424}"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.kind);
        SetUp();
        setStandIn("ZEB_STANDIN_MS", "50"); // still speaking at the first busy test
        ASSERT_TRUE(servers::serverStart(2, -5, 7, "", c.kind));
        servers::serverSpeak("casa");
        EXPECT_TRUE(servers::serverBusy(servers::Busy::Sounding));
        waitIdle();
        servers::serverClose();
        EXPECT_EQ(
            calls("sapi5", false),
            (Calls{std::string("CreateInstance ") + c.voiceClass +
                       " {269316D8-57BD-11D2-9EEE-00C04F797396}" + Ok,
                   std::string("FindConnectionPoint {A372ACD1-3BEF-4BBD-8FFB-CB3E2B416AF8}") + Ok,
                   std::string("Advise") + Ok, std::string("put_EventInterests 33790") + Ok,
                   std::string("GetVoices \"\" \"\"") + Ok, std::string("Tokens.get_Count 3") + Ok,
                   std::string("Tokens.Item 1") + Ok, std::string("putref_Voice Beta") + Ok,
                   std::string("put_Rate -5") + Ok, std::string("SpeakCompleteEvent") + Ok,
                   std::string("Speak 17 \"casa\"") + Ok, std::string("Unadvise") + Ok,
                   "voice destroyed idle"}));
        // The voice's events reach the connected sink from this thread's pump.
        EXPECT_TRUE(logged("sapi5", std::string("event StartStream 1") + OnThisThread));
    }
}

TEST_F(StandInEngines, Sapi4EngineCallsAndNotificationsInOrder) {
    setStandIn("ZEB_STANDIN_MS", "50");
    ASSERT_TRUE(servers::serverStart(2, 150, 90, "", servers::ServerKindSapi4));
    servers::serverSpeak("  casa ");
    EXPECT_TRUE(servers::serverBusy(servers::Busy::Sounding));
    waitIdle();
    servers::serverClose();
    const std::string note = std::string(OnThisThread) + Ok;
    EXPECT_EQ(
        calls("sapi4"),
        (Calls{std::string("CreateInstance {CB96B400-C743-11CD-80E5-00AA003E4B50} "
                           "{B68AD320-C743-11CD-80E5-00AA003E4B50}") +
                   Ok,
               std::string("CreateInstance {D67C0280-C743-11CD-80E5-00AA003E4B50} "
                           "{05EB6C6D-DBAB-11CD-B3CA-00AA0047BA4F}") +
                   Ok,
               std::string("Reset") + Ok,
               std::string("Next 1 Alpha") + Ok,
               std::string("Next 1 Beta") + Ok,
               std::string("Select {5A4D0002-5354-4E44-494E-454E47494E45} Beta") + Ok,
               std::string("Register {05EB6C6F-DBAB-11CD-B3CA-00AA0047BA4F}") + Ok,
               std::string("QueryInterface {0FD6E2A1-E77D-11CD-B3CA-00AA0047BA4F}") + Ok,
               std::string("SpeedSet 150") + Ok,
               std::string("PitchSet 90") + Ok,
               std::string("TextData 0 0 5 {E4963D40-C743-11CD-80E5-00AA003E4B50} \"casa\"") + Ok,
               "TextDataStarted" + note,
               "AudioStart" + note,
               "WordPosition 0" + note,
               "TextDataDone" + note,
               "AudioStop" + note,
               "enumerator destroyed",
               std::string("UnRegister 1") + Ok,
               "engine Beta destroyed idle, 0 sinks registered",
               "audio destination destroyed"}));
}

TEST_F(StandInEngines, AStopCutsTheTextAtOnce) {
    setStandIn("ZEB_STANDIN_MS", "200");
    const int32_t kinds[] = {servers::ServerKindSapi4, servers::ServerKindSapi5};
    for (const int32_t kind : kinds) {
        SCOPED_TRACE(kind);
        const std::string engine = kind == servers::ServerKindSapi4 ? "sapi4" : "sapi5";
        ASSERT_TRUE(servers::serverStart(1, 0, 0, "", kind));
        servers::serverSpeak("uma frase comprida");
        waitFor(engine, kind == servers::ServerKindSapi4 ? "AudioStart" : "event StartStream");
        ASSERT_TRUE(servers::serverBusy(servers::Busy::Sounding));
        servers::serverStop();
        EXPECT_FALSE(servers::serverBusy(servers::Busy::Sounding));
        EXPECT_TRUE(logged(engine, kind == servers::ServerKindSapi4 ? "AudioReset -> 0x00000000"
                                                                    : "Speak 2 \" \" -> 0x0000"));
        servers::serverClose();
    }
    // The purge speaks its space synchronously: the voice is idle at once.
    EXPECT_TRUE(logged("sapi5", "voice destroyed idle"));
    expectAllReleased();
}

TEST_F(StandInEngines, RefusalsGetTheClientsReaction) {
    struct Case {
        int32_t kind;
        const char *fail, *voices;
        bool starts;
        const char *seen;
    } cases[] = {
        // SAPI 5: a refused rate and events it cannot give are ignored; no
        // voice list, no voice or no completion event and it does not start.
        {5, "put_Rate=80070057", "", true, "put_Rate -5 -> 0x80070057"},
        {5, "put_EventInterests=80004001", "", true, "put_EventInterests 33790 -> 0x80004001"},
        {54, "Advise=80004001", "", true, "Advise -> 0x80004001"},
        {5, "GetVoices=80004001", "", false, "GetVoices \"\" \"\" -> 0x80004001"},
        {5, "", "none", false, "Tokens.get_Count 0"},
        {54, "SpeakCompleteEvent=80004005", "", false, "SpeakCompleteEvent -> 0x80004005"},
        {5, "CreateInstance=80040154", "", false, "CreateInstance {9674"},
        // SAPI 4: refused attributes are ignored; a failed creation, Next,
        // Select or Register ends the start with false, all released.
        {4, "SpeedSet=80004001,PitchSet=80004001", "", true, "SpeedSet 30 -> 0x80004001"},
        {4, "QueryInterface=80004002", "", true, "QueryInterface {0FD6E2A1"},
        {4, "CreateInstance=80040154", "", false, "CreateInstance {CB96B400"},
        {4, "Next=80004005", "", false, "Next 1 -> 0x80004005"},
        {4, "Select=80004005", "", false, "Select {5A4D0002"},
        {4, "Register=80004005", "", false, "Register {05EB6C6F"},
        {4, "", "none", false, "Next 1 none -> 0x00000001"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.fail) + c.voices);
        SetUp();
        setStandIn("ZEB_STANDIN_FAIL", c.fail);
        setStandIn("ZEB_STANDIN_VOICES", c.voices);
        const std::string engine = c.kind == 4 ? "sapi4" : "sapi5";
        EXPECT_EQ(servers::serverStart(2, c.kind == 4 ? 30 : -5, 40, "", c.kind), c.starts);
        EXPECT_TRUE(logged(engine, c.seen));
        if (c.starts) {
            servers::serverSpeak("oi");
            waitIdle();
            EXPECT_TRUE(logged(engine, c.kind == 4 ? "TextDataDone" : "Speak 17 \"oi\""));
        }
        servers::serverClose();
        servers::moduleEnd();
        expectAllReleased();
    }
}

TEST_F(StandInEngines, AFailedSpeakOrStopLeavesTheClientIdle) {
    struct Case {
        int32_t kind;
        const char *fail, *seen;
    } cases[] = {
        {5, "Speak=80004005", "Speak 17 \"oi\" -> 0x80004005"},
        {4, "TextData=80004005", "TextData 0 0 3"},
        {4, "AudioReset=80004005", "AudioReset -> 0x80004005"},
    };
    setStandIn("ZEB_STANDIN_MS", "100");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fail);
        const std::string engine = c.kind == 4 ? "sapi4" : "sapi5";
        ASSERT_TRUE(servers::serverStart(1, 0, 0, "", c.kind));
        setStandIn("ZEB_STANDIN_FAIL", c.fail);
        servers::serverSpeak("oi");
        if (c.kind == 4 && logged(engine, "TextData 0 0 3 {E4963D40-C743-11CD-80E5-00AA003E4B50} "
                                          "\"oi\" -> 0x00000000")) {
            waitFor(engine, "AudioStart");
            servers::serverStop();
        }
        EXPECT_FALSE(servers::serverBusy(servers::Busy::Sounding));
        EXPECT_TRUE(logged(engine, c.seen));
        setStandIn("ZEB_STANDIN_FAIL", "");
        servers::serverClose();
    }
    const auto &events = headless::transcript();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const auto &e) { return e.kind == headless::Event::Kind::Beep; }),
              1);
    expectAllReleased();
}

} // namespace
