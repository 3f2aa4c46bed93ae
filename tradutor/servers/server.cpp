// The speech-server dispatcher: one server active at a time, chosen by the
// kind given to serverStart, and the five operations forwarded to it.
#include "tradutor/servers/server.h"

#include "console/console.h"
#include "platform/speech_engines.h"
#include "tradutor/servers/quelo_server.h"
#include "tradutor/servers/sapi4_client.h"
#include "tradutor/servers/sapi5_client.h"

namespace servers {
namespace {

constexpr uint16_t IdlePollMs = 50;

enum class Server { Quelo, Sapi5, Sapi5Second, Sapi4 };

int32_t serverKind = ServerKindSapi4;

Server selected() {
    switch (serverKind) {
    case ServerKindQuelo:
        return Server::Quelo;
    case ServerKindSapi5:
        return Server::Sapi5;
    case ServerKindSapi5Second:
        return Server::Sapi5Second;
    default:
        return Server::Sapi4;
    }
}

Sapi5Class sapi5Class() {
    return selected() == Server::Sapi5 ? Sapi5Class::Standard : Sapi5Class::Second;
}

bool startSelected(int32_t voice, int32_t rate, int32_t pitch, const std::string &outputFile) {
    switch (selected()) {
    case Server::Quelo:
        return queloServerStart(rate, pitch, outputFile);
    case Server::Sapi5:
    case Server::Sapi5Second:
        return sapi5Start(sapi5Class(), voice, rate, pitch, outputFile);
    case Server::Sapi4:
        break;
    }
    return sapi4Start(voice, rate, pitch, outputFile);
}

} // namespace

void moduleStart() {
    serverKind = ServerKindSapi4;
    // A slow server's calls keep the window served while they wait.
    platform::setEngineWaitPump(console::processMessages);
    readQueloFileSet();
}

void moduleEnd() {
    sapi4Close();
    sapi5Release(Sapi5Class::Standard);
    sapi5Release(Sapi5Class::Second);
}

bool serverStart(int32_t voice, int32_t rate, int32_t pitch, const std::string &outputFile,
                 int32_t kind) {
    serverKind = kind;
    const bool started = startSelected(voice, rate, pitch, outputFile);
    if (started)
        while (serverBusy(Busy::Queued))
            console::delayMs(IdlePollMs);
    return started;
}

void serverClose() {
    switch (selected()) {
    case Server::Quelo:
        return queloServerClose();
    case Server::Sapi5:
    case Server::Sapi5Second:
        return sapi5Close(sapi5Class());
    case Server::Sapi4:
        return sapi4Close();
    }
}

bool serverSpeak(const std::string &text) {
    switch (selected()) {
    case Server::Quelo:
        queloServerSpeak(text);
        return true;
    case Server::Sapi5:
    case Server::Sapi5Second:
        return sapi5Speak(sapi5Class(), text);
    case Server::Sapi4:
        break;
    }
    return sapi4Speak(text);
}

bool serverBusy(Busy test) {
    console::processMessages();
    switch (selected()) {
    case Server::Quelo:
        return queloServerBusy();
    case Server::Sapi5:
    case Server::Sapi5Second:
        return sapi5Busy(sapi5Class());
    case Server::Sapi4:
        break;
    }
    return sapi4Busy(test);
}

std::vector<ServerVoice> serverVoices(int32_t kind) {
    if (kind == ServerKindSapi5 || kind == ServerKindSapi5Second)
        return sapi5Voices(kind == ServerKindSapi5 ? Sapi5Class::Standard : Sapi5Class::Second);
    return kind == ServerKindQuelo ? std::vector<ServerVoice>{} : sapi4Modes();
}

void serverStop() {
    switch (selected()) {
    case Server::Quelo:
        return queloServerStop();
    case Server::Sapi5:
    case Server::Sapi5Second:
        sapi5Stop(sapi5Class()); // its result is not passed on
        return;
    case Server::Sapi4:
        return sapi4Stop();
    }
}

} // namespace servers
