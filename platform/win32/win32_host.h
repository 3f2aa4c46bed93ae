// What the Windows host services offer each other.
#pragma once

#include <string>

namespace win32_host {

// The Windows directory as the system reports it.
std::string systemWindowsDirectory();
// The Windows directory in effect: the one in the host settings, else the
// system's.
std::string windowsDirectory();

// The file the system is asked for in place of a program path: the --config
// file for ZEBUNA.INI in the Windows directory, a path from the drive root
// under the drive root in the settings, else the path as it is.
std::string systemPath(const std::string &path);

// The file a profile lookup reads: as systemPath, and a bare name in the
// Windows directory of the settings when one is given.
std::string profileFile(const std::string &file);

} // namespace win32_host
