// The --config option of the driver programs on Windows: a file that stands
// for ZEBUNA.INI wherever the program asks for it by its bare name.
#include "platform/posix/posix_host.h"
#include "platform/win32/win32_host.h"

#include <windows.h>

#include <vector>

namespace {

struct OverrideState {
    std::string file; // absolute; empty: none
};

OverrideState state;

std::string absolutePath(const std::string &file) {
    std::vector<char> buffer(MAX_PATH + 1);
    const DWORD n =
        GetFullPathNameA(file.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0 || n >= buffer.size())
        return file;
    return std::string(buffer.data(), n);
}

} // namespace

namespace posix_host {

void setConfigOverride(const std::string &file) {
    state.file = file.empty() ? std::string() : absolutePath(file);
}

std::string configOverride() {
    return state.file;
}

} // namespace posix_host

namespace win32_host {

std::string profileFile(const std::string &file) {
    if (!state.file.empty() && lstrcmpiA(file.c_str(), "ZEBUNA.INI") == 0)
        return state.file;
    return file;
}

} // namespace win32_host
