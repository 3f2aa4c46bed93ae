// The SAPI server kinds against the speech-dispatcher SPEECHD_ADDRESS names
// (scripts/speech-server-bench.sh starts a private one): what starting each
// kind costs, the time from serverSpeak to the server's begin notification,
// and from a stop (what a key does) to the program's idle and to the
// server's cancel. Times are real milliseconds; the clients' own fixed
// pauses (delayMs) pass in the headless backend's virtual time and are not
// in them.
#include "app/module_start.h"
#include "console/console.h"
#include "platform/headless/headless.h"
#include "platform/headless/scripted_engines.h"
#include "tests/test_support.h"
#include "tradutor/servers/server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Rounds = 10;
constexpr double GiveUpMs = 20000;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

size_t engineEvents() {
    return headless::transcript().size();
}

// Serves the pumps until the engine reports `what` after event `from`; the
// milliseconds since `start`, or -1 after GiveUpMs.
double untilEngine(const std::string &what, size_t from, Clock::time_point start) {
    while (msSince(start) < GiveUpMs) {
        console::processMessages();
        const auto &events = headless::transcript();
        for (size_t i = from; i < events.size(); ++i)
            if (events[i].kind == headless::Event::Kind::Engine && events[i].text == what)
                return msSince(start);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return -1;
}

void waitIdle() {
    const auto start = Clock::now();
    while (servers::serverBusy(servers::Busy::Sounding) && msSince(start) < GiveUpMs)
        console::waitMessage();
}

struct Figures {
    std::vector<double> values;
    void add(double v) { values.push_back(v); }
    void print(const char *what) {
        if (values.empty() || *std::min_element(values.begin(), values.end()) < 0) {
            std::printf("  %-34s FAILED (no notification within %.0f ms)\n", what, GiveUpMs);
            return;
        }
        std::sort(values.begin(), values.end());
        std::printf("  %-34s median %7.1f ms  min %7.1f  max %7.1f  (%zu runs)\n", what,
                    values[values.size() / 2], values.front(), values.back(), values.size());
    }
};

bool benchKind(const char *name, int32_t kind) {
    std::printf("%s (TIPOSAPI=%d)\n", name, kind);
    Figures start, begin, idle, cancel;
    for (int i = 0; i < 3; ++i) {
        const auto t = Clock::now();
        if (!servers::serverStart(1, 0, 0, "", kind)) {
            std::printf("  FAILED: the server could not start\n");
            return false;
        }
        start.add(msSince(t));
        if (i < 2)
            servers::serverClose();
    }
    const std::string shortText = "Uma frase para medir.";
    std::string longText;
    for (int i = 0; i < 100; ++i)
        longText += "Uma frase comprida, para o servidor falar. ";
    for (int i = 0; i < Rounds; ++i) {
        size_t from = engineEvents();
        auto t = Clock::now();
        servers::serverSpeak(shortText);
        begin.add(untilEngine("begin", from, t));
        waitIdle();

        servers::serverSpeak(longText);
        from = engineEvents();
        untilEngine("begin", from, Clock::now());
        from = engineEvents();
        t = Clock::now();
        servers::serverStop();
        while (servers::serverBusy(servers::Busy::Sounding) && msSince(t) < GiveUpMs)
            console::waitMessage();
        idle.add(msSince(t));
        cancel.add(untilEngine("cancel", from, t));
        waitIdle();
    }
    start.print("start (serverStart)");
    begin.print("serverSpeak -> begin notification");
    idle.print("stop -> program idle");
    cancel.print("stop -> server's cancel");
    servers::serverClose();
    return true;
}

} // namespace

int main() {
    test_support::TempDir dir;
    test_support::writeFile(dir.file("ZEBUNA.INI"), "");
    test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"));
    headless::unscriptSpeechEngines(); // the host's own: speech-dispatcher
    const size_t voices = servers::serverVoices(servers::ServerKindSapi5).size();
    std::printf("speech-dispatcher: %zu voices\n", voices);
    if (voices == 0) {
        std::printf("FAILED: no speech-dispatcher answered (SPEECHD_ADDRESS=%s)\n",
                    std::getenv("SPEECHD_ADDRESS") ? std::getenv("SPEECHD_ADDRESS") : "");
        return 1;
    }
    bool ok = benchKind("SAPI 5", servers::ServerKindSapi5);
    ok = benchKind("SAPI 5, second class", servers::ServerKindSapi5Second) && ok;
    ok = benchKind("SAPI 4", servers::ServerKindSapi4) && ok;
    return ok ? 0 : 1;
}
