// The game program: the modules start, then the game runs until the player
// quits; the game ends the process itself. It takes no arguments but
// --help and --version.
#include "app/module_start.h"
#include "app/program_options.h"
#include "console/console.h"
#include "game/game.h"

namespace {

constexpr app::ProgramUsage kProgram{"galdrino", "galdrino\n"
                                                 "       galdrino --help | --version\n"};

} // namespace

int main(int argc, char **argv) {
    if (const auto status = app::checkNoArguments(argc, argv, kProgram))
        return *status;
    app::startModules();
    app::endModulesAtExit();
    console::bindStandardStreams();
    game::runGame();
}
