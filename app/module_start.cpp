#include "app/module_start.h"

#include "console/console.h"
#include "tradutor/servers/server.h"
#include "tradutor/speech/speech.h"
#include "tradutor/speech/wave_player.h"

#include <cstdlib>

namespace app {

namespace {

// The engine objects go before COM itself.
void endSpeechModules() {
    servers::moduleEnd();
    speech::moduleEnd();
}

} // namespace

void startModules() {
    console::moduleStart();
    wave::moduleStart();
    servers::moduleStart();
    speech::moduleStart();
}

void endModules() {
    endSpeechModules();
    wave::moduleEnd();
    console::moduleEnd();
}

void endModulesAtExit() {
    static const bool registered = std::atexit(endSpeechModules) == 0;
    (void)registered;
}

} // namespace app
