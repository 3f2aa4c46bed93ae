// The registry and run-time libraries on Windows: the real calls.
#include "platform/host_library.h"
#include "platform/platform.h"

#include <windows.h>

#include <vector>

namespace platform {

bool readRegistryValue(RegistryRoot root, const std::string &key, const std::string &valueName,
                       RegistryValue &out) {
    HKEY handle = nullptr;
    const HKEY rootKey =
        root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    if (RegOpenKeyExA(rootKey, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    bool found = RegQueryValueExA(handle, valueName.c_str(), nullptr, &type, nullptr, &size) ==
                 ERROR_SUCCESS;
    std::vector<BYTE> data(size);
    if (found)
        found = RegQueryValueExA(handle, valueName.c_str(), nullptr, &type, data.data(), &size) ==
                ERROR_SUCCESS;
    RegCloseKey(handle);
    if (!found)
        return false;
    out.type = type;
    out.data.assign(reinterpret_cast<const char *>(data.data()), size);
    return true;
}

} // namespace platform

namespace host_library {

void *open(const std::string &fileName) {
    return reinterpret_cast<void *>(LoadLibraryA(fileName.c_str()));
}

void *symbol(void *handle, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void close(void *handle) {
    FreeLibrary(static_cast<HMODULE>(handle));
}

} // namespace host_library
