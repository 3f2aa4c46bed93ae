#include "app/module_start.h"

#include "console/console.h"
#include "tradutor/servers/server.h"
#include "tradutor/speech/speech.h"
#include "tradutor/speech/wave_player.h"

#include <cstdlib>

namespace app {

namespace {

// The engine objects go before COM itself. They also end when the program
// ends through exit(), as the game does.
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
    static const bool endsAtExit = std::atexit(endSpeechModules) == 0;
    (void)endsAtExit;
}

void endModules() {
    endSpeechModules();
    wave::moduleEnd();
    console::moduleEnd();
}

} // namespace app
