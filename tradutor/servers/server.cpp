// The speech-server dispatcher. The built-in engine (kind 3) is the one server
// of this system; the SAPI kinds find no speech interface here and start no
// server, so the façade keeps its own synthesizer for them.
#include "tradutor/servers/server.h"

#include "console/console.h"
#include "tradutor/servers/quelo_server.h"

namespace servers {
namespace {

constexpr int32_t KindQuelo = 3;
constexpr int32_t KindSapi4 = 4;
constexpr uint16_t IdlePollMs = 50;

int32_t serverKind = KindSapi4;

bool queloSelected() {
    return serverKind == KindQuelo;
}

} // namespace

void moduleStart() {
    serverKind = KindSapi4;
    readQueloFileSet();
}

bool serverStart(int32_t, int32_t rate, int32_t pitch, const std::string &outputFile,
                 int32_t kind) {
    serverKind = kind;
    if (!queloSelected())
        return false;
    const bool started = queloServerStart(rate, pitch, outputFile);
    if (started)
        while (serverBusy(1))
            console::delayMs(IdlePollMs);
    return started;
}

void serverClose() {
    if (queloSelected())
        queloServerClose();
}

void serverSpeak(const std::string &text) {
    if (queloSelected())
        queloServerSpeak(text);
}

bool serverBusy(uint8_t) {
    console::processMessages();
    return queloSelected() && queloServerBusy();
}

void serverStop() {
    if (queloSelected())
        queloServerStop();
}

} // namespace servers
