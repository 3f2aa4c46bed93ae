// What every program of the game answers alike on its command line:
// --help prints the usage on the standard output and --version the
// program's name and version, both ending it with status 0; an option it
// does not know is an error, shown with the usage on the standard error,
// with status 2. "--" ends the options.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace app {

struct ProgramUsage {
    const char *name;  // as the messages and the version line show it
    const char *usage; // the usage lines, each ending in a line feed
};

inline constexpr int kUsageErrorStatus = 2;

// "-x", "--long": an option; "-" alone is not one (it names the standard
// input), and neither is anything after "--".
bool isOption(std::string_view argument);

// For --help and --version: prints and gives the status to end with (0);
// nothing for any other argument.
std::optional<int> answerInfoOption(std::string_view argument, const ProgramUsage &program);

// "NAME: message" and the usage on the standard error; the status to end
// with (2).
int usageError(const ProgramUsage &program, const std::string &message);

// For a program that takes no arguments beyond --help, --version and "--":
// the status to end with at once, or nothing when it may start.
std::optional<int> checkNoArguments(int argc, char **argv, const ProgramUsage &program);

} // namespace app
