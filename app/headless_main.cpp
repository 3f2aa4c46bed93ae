// galdrino-headless: the real game on the headless backend, driven by a key
// script, printing a transcript of what was shown and heard.
//
//   galdrino-headless [--config FILE] [--seed N] [--keys SCRIPT] [--screen]
//   galdrino-headless --help | --version
#include "app/module_start.h"
#include "app/program_options.h"
#include "console/console.h"
#include "game/game.h"
#include "platform/cp1252.h"
#include "platform/headless/headless.h"
#include "platform/host_settings.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

struct Options {
    std::string config;
    std::string keys;
    bool seeded = false;
    uint32_t seed = 0;
    bool screen = false;
    std::string_view infoOption; // --help or --version
};

constexpr app::ProgramUsage kProgram{
    "galdrino-headless", "galdrino-headless [--config FILE] [--seed N] [--keys SCRIPT] [--screen]\n"
                         "       galdrino-headless --help | --version\n"};

bool parseOptions(int argc, char **argv, Options &options, std::string &error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "--version") {
            options.infoOption = argv[i]; // answered alone, whatever else is given
            return true;
        }
        if (arg == "--" && i + 1 == argc) {
            break; // the game takes no text: nothing may follow
        }
        if (arg == "--screen") {
            options.screen = true;
        } else if (arg == "--config" && hasValue) {
            options.config = argv[++i];
        } else if (arg == "--keys" && hasValue) {
            options.keys = argv[++i];
        } else if (arg == "--seed" && hasValue) {
            char *end = nullptr;
            const unsigned long value = std::strtoul(argv[++i], &end, 10);
            if (!end || *end != '\0' || value >= 86400000ul) {
                error = "--seed takes a number below 86400000";
                return false;
            }
            options.seeded = true;
            options.seed = static_cast<uint32_t>(value);
        } else if (arg == "--config" || arg == "--keys" || arg == "--seed") {
            error = arg + " needs a value";
            return false;
        } else {
            error =
                app::isOption(arg) && arg != "--" ? "unknown option: " + arg : "takes no arguments";
            return false;
        }
    }
    return true;
}

void printScreen() {
    for (int row = 0; row < console::Rows; ++row) {
        std::string line;
        for (int column = 0; column < console::Columns; ++column)
            line += static_cast<char>(console::cellChar(column, row));
        std::printf("screen %s\n", platform::cp1252ToUtf8(line).c_str());
    }
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error))
        return app::usageError(kProgram, error);
    if (!options.infoOption.empty())
        return app::answerInfoOption(options.infoOption, kProgram).value_or(0);
    headless::reset();
    if (!options.config.empty())
        platform::setConfigOverride(options.config);
    if (!headless::setKeyScript(options.keys, error))
        return app::usageError(kProgram, error);
    if (options.seeded)
        headless::setTimeOfDaySeed(options.seed);
    int exitCode = 0;
    try {
        app::startModules();
        game::runGame();
    } catch (const headless::ProcessExit &exit) {
        exitCode = exit.code;
    }
    std::fputs(headless::transcriptText().c_str(), stdout);
    if (options.screen)
        printScreen();
    return exitCode;
}
