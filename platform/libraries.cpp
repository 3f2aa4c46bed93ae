// platform::loadLibrary and its in-process libraries, above the host's loader.
#include "platform/host_library.h"
#include "platform/inprocess_library.h"
#include "platform/platform.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace {

std::string folded(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

std::map<std::string, platform::SymbolResolver> &inProcessLibraries() {
    static std::map<std::string, platform::SymbolResolver> libraries;
    return libraries;
}

// What a LibraryHandle points to: a host library or an in-process one.
struct LoadedLibrary {
    void *hostHandle = nullptr;
    platform::SymbolResolver resolver;
};

} // namespace

namespace platform {

void registerInProcessLibrary(const std::string &fileName, SymbolResolver resolver) {
    inProcessLibraries()[folded(fileName)] = std::move(resolver);
}

void withdrawInProcessLibrary(const std::string &fileName) {
    inProcessLibraries().erase(folded(fileName));
}

LibraryHandle loadLibrary(const std::string &name) {
    const auto found = inProcessLibraries().find(folded(name));
    if (found != inProcessLibraries().end())
        return new LoadedLibrary{nullptr, found->second};
    void *host = host_library::open(name);
    return host ? new LoadedLibrary{host, {}} : nullptr;
}

void *librarySymbol(LibraryHandle library, const char *name) {
    const auto *loaded = static_cast<LoadedLibrary *>(library);
    if (!loaded || !name)
        return nullptr;
    if (loaded->hostHandle)
        return host_library::symbol(loaded->hostHandle, name);
    return loaded->resolver ? loaded->resolver(name) : nullptr;
}

void freeLibrary(LibraryHandle library) {
    auto *loaded = static_cast<LoadedLibrary *>(library);
    if (!loaded)
        return;
    if (loaded->hostHandle)
        host_library::close(loaded->hostHandle);
    delete loaded;
}

} // namespace platform
