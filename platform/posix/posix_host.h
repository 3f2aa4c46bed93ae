// Settings of the POSIX host emulation: where the drive root lies and which
// file stands for ZEBUNA.INI in the Windows directory.
#pragma once

#include <string>

namespace posix_host {

// The directory a drive letter maps to. Default: $ZEBUNA_ROOT, else the
// data tree installed beside the program (<program dir>/../share/galdrino).
void setDriveRoot(const std::string &directory);
std::string driveRoot();

// The Windows directory: $ZEBUNA_WINDIR, else <drive root>/windows.
void setWindowsDirectory(const std::string &directory);

// A file that replaces every lookup of the bare name "ZEBUNA.INI" (the
// --config option of the tools). Empty: no override.
void setConfigOverride(const std::string &file);
std::string configOverride();

} // namespace posix_host
