// What the Windows host services offer each other.
#pragma once

#include <string>

namespace win32_host {

// The directories as the system reports them.
std::string reportedWindowsDirectory();
std::string reportedCurrentDirectory();

// The directories as the program sees them: below a drive root given in the
// host settings they are written from "C:\" (win32_config_override.cpp).
std::string windowsDirectory();
std::string currentDirectory();

// The file the system is asked for in place of a program path: the --config
// file for ZEBUNA.INI in the Windows directory, a path written from the
// drive root below the drive root of the settings, else the path as it is.
std::string systemPath(const std::string &path);

// The file a profile lookup reads: as systemPath, and for a bare name the
// file in the Windows directory in effect.
std::string profileFile(const std::string &file);

} // namespace win32_host
