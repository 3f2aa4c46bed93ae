// Settings of the host services that the driver programs and the tests give:
// which file stands for ZEBUNA.INI, where the drive root of the program's
// paths lies and which directory is the Windows directory. Every host
// implements them; what the defaults are is the host's own.
#pragma once

#include <string>

namespace platform {

// A file that replaces every lookup of ZEBUNA.INI in the Windows directory
// (the --config option of the driver programs). Empty: no override.
void setConfigOverride(const std::string &file);
std::string configOverride();

// The directory the drive root ("c:\", "\") of the program's paths maps to.
// POSIX hosts: by default $ZEBUNA_ROOT, else the data tree installed beside
// the program (<program dir>/../share/galdrino). Windows: by default none,
// the program's paths are the system's own.
void setDriveRoot(const std::string &directory);
std::string driveRoot();

// The Windows directory. POSIX hosts: by default $ZEBUNA_WINDIR, else
// <drive root>/windows. Windows: by default the system's.
void setWindowsDirectory(const std::string &directory);

} // namespace platform
