// What the Windows host services offer each other.
#pragma once

#include <string>

namespace win32_host {

// The file a profile lookup reads: the --config file for the bare name
// ZEBUNA.INI when one was given, else the name as it is.
std::string profileFile(const std::string &file);

} // namespace win32_host
