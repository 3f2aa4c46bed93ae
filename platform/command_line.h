// The text the driver programs (zebfala) take on their command line and
// write to the console. POSIX hosts take and give UTF-8. On Windows the
// arguments arrive in the ANSI code page, and a console is told that the
// output is UTF-8.
#pragma once

#include <string>

namespace platform {

// A text given as an argument, in Windows-1252 (file names are passed as
// they are: they are the host's own).
std::string textArgument(const char *argument);
// The console, when the program has one, shows what it writes as UTF-8.
void writeUtf8ToConsole();

} // namespace platform
