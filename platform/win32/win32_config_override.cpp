// The host settings on Windows (platform/host_settings.h): the driver
// programs' --config file standing for ZEBUNA.INI, and the drive root and
// Windows directory that the tests give. By default the program's paths are
// the system's own.
#include "platform/host_settings.h"
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
// the root in the program's own form ("c:\dir\file" or "\dir\file"), else
// nothing. Native paths given by the tests use forward slashes and stay as
// they are.
bool belowDriveRoot(const std::string &path, std::string &rest) {
    const bool drive =
        path.size() >= 3 && IsCharAlphaA(path[0]) && path[1] == ':' && path[2] == '\\';
    const bool rooted = path.size() >= 1 && path[0] == '\\' && (path.size() < 2 || path[1] != '\\');
    if (!drive && !rooted)
        return false;
    rest = path.substr(drive ? 3 : 1);
    return true;
}

// Whether a path names ZEBUNA.INI in the Windows directory, or is the bare
// name that the profile functions look up there.
bool namesWindowsIni(const std::string &path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return equalIgnoringCase(path, IniName);
    if (!equalIgnoringCase(std::string_view(path).substr(slash + 1), IniName))
        return false;
    const std::string directory = withoutTrailingSeparator(path.substr(0, slash + 1));
    return equalIgnoringCase(absolutePath(directory), withoutTrailingSeparator(absolutePath(
                                                          win32_host::windowsDirectory())));
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

} // namespace platform

namespace win32_host {

std::string windowsDirectory() {
    if (!settings.windowsDirectory.empty())
        return settings.windowsDirectory;
    return systemWindowsDirectory();
}

std::string systemPath(const std::string &path) {
    if (!settings.configFile.empty() && !path.empty() && namesWindowsIni(path))
        return settings.configFile;
    std::string rest;
    if (!settings.driveRoot.empty() && belowDriveRoot(path, rest))
        return settings.driveRoot + "\\" + rest;
    return path;
}

std::string profileFile(const std::string &file) {
    const std::string mapped = systemPath(file);
    if (mapped != file || file.find_first_of("\\/:") != std::string::npos)
        return mapped;
    // A bare name: the profile functions look in the system's Windows
    // directory, so one given in the settings is named in full.
    if (settings.windowsDirectory.empty())
        return file;
    return withoutTrailingSeparator(settings.windowsDirectory) + "\\" + file;
}

} // namespace win32_host
