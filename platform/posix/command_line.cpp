// POSIX hosts: arguments and output are UTF-8.
#include "platform/command_line.h"

#include "platform/cp1252.h"

namespace platform {

std::string textArgument(const char *argument) {
    return utf8ToCp1252(argument);
}

void writeUtf8ToConsole() {}

} // namespace platform
