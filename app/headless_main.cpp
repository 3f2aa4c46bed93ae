// galdrino-headless: the real game on the headless backend, driven by a key
// script, printing a transcript of what was shown and heard.
//
//   galdrino-headless [--config FILE] [--seed N] [--keys SCRIPT] [--screen]
#include "app/module_start.h"
#include "console/console.h"
#include "game/game.h"
#include "platform/cp1252.h"
#include "platform/headless/headless.h"
#include "platform/host_settings.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Options {
    std::string config;
    std::string keys;
    bool seeded = false;
    uint32_t seed = 0;
    bool screen = false;
};

int usage(const char *message) {
    std::fprintf(stderr,
                 "%s\nusage: galdrino-headless [--config FILE] [--seed N] [--keys SCRIPT] "
                 "[--screen]\n",
                 message);
    return 2;
}

bool parseOptions(int argc, char **argv, Options &options, std::string &error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
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
        } else {
            error = "unknown or incomplete option: " + arg;
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
        return usage(error.c_str());
    headless::reset();
    if (!options.config.empty())
        platform::setConfigOverride(options.config);
    if (!headless::setKeyScript(options.keys, error))
        return usage(error.c_str());
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
