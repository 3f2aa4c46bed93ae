// Paths on Windows are used as they are, the program's own paths being
// Windows paths, unless the host settings say otherwise (win32_host.h). The
// directories come from the system.
#include "platform/platform.h"
#include "platform/win32/win32_host.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

// A string from a call that fills a buffer and returns the length written,
// or the size it needs when the buffer is too small.
template <typename Call> std::string fromSystem(Call call) {
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
            return std::string(buffer.data(), n);
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(std::max<size_t>(n + 1, buffer.size() * 2));
    }
}

} // namespace

namespace win32_host {

std::string reportedWindowsDirectory() {
    return fromSystem([](char *buffer, DWORD size) { return GetWindowsDirectoryA(buffer, size); });
}

std::string reportedCurrentDirectory() {
    return fromSystem([](char *buffer, DWORD size) { return GetCurrentDirectoryA(size, buffer); });
}

} // namespace win32_host

namespace platform {

std::string nativePath(const std::string &path) {
    return win32_host::systemPath(path);
}

bool fileExists(const std::string &path) {
    const DWORD attributes = GetFileAttributesA(win32_host::systemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool directoryExists(const std::string &path) {
    const DWORD attributes = GetFileAttributesA(win32_host::systemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string currentDirectory() {
    return win32_host::currentDirectory();
}

bool setCurrentDirectory(const std::string &path) {
    return !path.empty() && SetCurrentDirectoryA(win32_host::systemPath(path).c_str()) != 0;
}

std::string windowsDirectory() {
    return win32_host::windowsDirectory();
}

// GetModuleFileNameA fills the whole buffer (and returns its size) when the
// name does not fit.
std::string moduleFileName() {
    return fromSystem([](char *buffer, DWORD size) {
        const DWORD n = GetModuleFileNameA(nullptr, buffer, size);
        return n == size ? size + 1 : n;
    });
}

std::string profileString(const std::string &file, const std::string &section,
                          const std::string &key, const std::string &defaultValue,
                          size_t capacity) {
    if (capacity == 0)
        return {};
    std::vector<char> buffer(capacity);
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                             buffer.data(), static_cast<DWORD>(capacity),
                                             win32_host::profileFile(file).c_str());
    return std::string(buffer.data(), n);
}

} // namespace platform
