// The game program: the modules start, then the game runs until the player
// quits; the game ends the process itself.
#include "app/module_start.h"
#include "console/console.h"
#include "game/game.h"

int main() {
    app::startModules();
    app::endModulesAtExit();
    console::bindStandardStreams();
    game::runGame();
}
