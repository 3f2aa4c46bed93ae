// The host settings on Windows (platform/host_settings.h): the driver
// programs' --config file standing for ZEBUNA.INI, and the drive root and
// Windows directory that the tests give. By default the program's paths are
// the system's own.
//
// A drive root works like a substituted drive: the program's paths written
// from the root in its own form ("c:\dir", "\dir") lie below it, and the
// directories the system reports below it are given back in that form.
// Paths written with forward slashes (those the tests build) are left as
// they are.
#include "platform/host_settings.h"
#include "platform/platform.h"
#include "platform/win32/win32_host.h"

#include <windows.h>

#include <string_view>
#include <vector>

namespace {

struct HostSettings {
    std::string configFile;       // absolute; empty: none
    std::string driveRoot;        // absolute, no trailing separator; empty: none
    std::string windowsDirectory; // absolute; empty: the system's
};

HostSettings settings;

constexpr std::string_view IniName = "ZEBUNA.INI";

std::string absolutePath(const std::string &file) {
    std::vector<char> buffer(MAX_PATH + 1);
    const DWORD n =
        GetFullPathNameA(file.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0 || n >= buffer.size())
        return file;
    return std::string(buffer.data(), n);
}

// Without trailing separators, except the one of a drive's root ("c:\").
std::string withoutTrailingSeparator(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                          b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

// The part of a program path below the drive root when it is written from
// the root in the program's own form, else nothing.
bool belowDriveRoot(const std::string &path, std::string &rest) {
    const bool drive =
        path.size() >= 3 && IsCharAlphaA(path[0]) && path[1] == ':' && path[2] == '\\';
    const bool rooted = !path.empty() && path[0] == '\\' && (path.size() < 2 || path[1] != '\\');
    if (!drive && !rooted)
        return false;
    rest = path.substr(drive ? 3 : 1);
    return true;
}

// A program path on the system, without the --config file.
std::string mapDrive(const std::string &path) {
    std::string rest;
    if (settings.driveRoot.empty() || !belowDriveRoot(path, rest))
        return path;
    return settings.driveRoot + "\\" + rest;
}

// A directory the system reports, as the program sees it.
std::string programView(const std::string &directory) {
    const std::string &root = settings.driveRoot;
    if (root.empty() || directory.size() < root.size() ||
        !equalIgnoringCase(std::string_view(directory).substr(0, root.size()), root))
        return directory;
    if (directory.size() == root.size())
        return "C:\\";
    if (directory[root.size()] != '\\' && directory[root.size()] != '/')
        return directory;
    return "C:\\" + directory.substr(root.size() + 1);
}

// The Windows directory on the system.
std::string systemWindowsDirectory() {
    return withoutTrailingSeparator(absolutePath(mapDrive(win32_host::windowsDirectory())));
}

// Whether a system path names ZEBUNA.INI in the Windows directory.
bool namesWindowsIni(const std::string &path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return equalIgnoringCase(path, IniName);
    if (!equalIgnoringCase(std::string_view(path).substr(slash + 1), IniName))
        return false;
    const std::string directory = withoutTrailingSeparator(path.substr(0, slash + 1));
    return equalIgnoringCase(withoutTrailingSeparator(absolutePath(directory)),
                             systemWindowsDirectory());
}

} // namespace

namespace platform {

void setConfigOverride(const std::string &file) {
    settings.configFile = file.empty() ? std::string() : absolutePath(file);
}

std::string configOverride() {
    return settings.configFile;
}

void setDriveRoot(const std::string &directory) {
    settings.driveRoot =
        directory.empty() ? std::string() : withoutTrailingSeparator(absolutePath(directory));
}

std::string driveRoot() {
    return settings.driveRoot;
}

void setWindowsDirectory(const std::string &directory) {
    settings.windowsDirectory = directory.empty() ? std::string() : absolutePath(directory);
}

// On Windows the player's ZEBUNA.INI is the one in the Windows directory,
// and the data lie where it says: there is no copy of the player's own and
// no data tree of the program's to check.
std::string userConfigFile() {
    return {};
}

void ignoreUserConfig(bool) {}

StartCheck checkInstallation() {
    return {};
}

} // namespace platform

namespace win32_host {

std::string windowsDirectory() {
    if (!settings.windowsDirectory.empty())
        return programView(settings.windowsDirectory);
    return programView(reportedWindowsDirectory());
}

std::string currentDirectory() {
    return programView(reportedCurrentDirectory());
}

std::string systemPath(const std::string &path) {
    const std::string mapped = mapDrive(path);
    if (!settings.configFile.empty() && !mapped.empty() && namesWindowsIni(mapped))
        return settings.configFile;
    return mapped;
}

std::string profileFile(const std::string &file) {
    if (file.find_first_of("\\/:") != std::string::npos)
        return systemPath(file);
    if (!settings.configFile.empty() && equalIgnoringCase(file, IniName))
        return settings.configFile;
    // A bare name: the profile functions look in the system's Windows
    // directory, so another one in effect is named in full.
    if (settings.driveRoot.empty() && settings.windowsDirectory.empty())
        return file;
    return systemWindowsDirectory() + "\\" + file;
}

} // namespace win32_host
