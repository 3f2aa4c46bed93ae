#include "app/program_options.h"

#include <cstdio>

namespace app {

bool isOption(std::string_view argument) {
    return argument.size() > 1 && argument.front() == '-';
}

std::optional<int> answerInfoOption(std::string_view argument, const ProgramUsage &program) {
    if (argument == "--help") {
        std::printf("usage: %s", program.usage);
        return 0;
    }
    if (argument == "--version") {
        std::printf("%s %s\n", program.name, ZEB_VERSION);
        return 0;
    }
    return std::nullopt;
}

int usageError(const ProgramUsage &program, const std::string &message) {
    std::fprintf(stderr, "%s: %s\nusage: %s", program.name, message.c_str(), program.usage);
    return kUsageErrorStatus;
}

std::optional<int> checkNoArguments(int argc, char **argv, const ProgramUsage &program) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (const auto status = answerInfoOption(argument, program)) {
            return status;
        }
        const bool endsOptions = argument == "--";
        if (endsOptions && i + 1 == argc) {
            break;
        }
        return usageError(program, isOption(argument) && !endsOptions
                                       ? "unknown option: " + std::string(argument)
                                       : "takes no arguments");
    }
    return std::nullopt;
}

} // namespace app
