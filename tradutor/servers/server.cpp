// The speech-server dispatcher.
//
// No speech server is available on this system yet, so every start fails
// and the façade keeps its own synthesizer. The built-in engine will be
// started here for kind 3 by a later change, which also brings the record
// of the active kind and the forwarding of the other operations.
#include "tradutor/servers/server.h"

#include "console/console.h"

namespace servers {

bool serverStart(int32_t, int32_t, int32_t, const std::string &, int32_t) {
    return false;
}

// Without a started server the façade never calls these; they do nothing.
void serverClose() {}
void serverSpeak(const std::string &) {}

bool serverBusy(uint8_t) {
    console::processMessages();
    return false;
}

void serverStop() {}

} // namespace servers
