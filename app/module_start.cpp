#include "app/module_start.h"

#include "console/console.h"
#include "tradutor/servers/server.h"
#include "tradutor/speech/speech.h"
#include "tradutor/speech/wave_player.h"

namespace app {

void startModules() {
    console::moduleStart();
    wave::moduleStart();
    servers::moduleStart();
    speech::moduleStart();
}

void endModules() {
    wave::moduleEnd();
    console::moduleEnd();
}

} // namespace app
