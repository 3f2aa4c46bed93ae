// Run-time libraries on the POSIX hosts. A Windows library name "x.dll" is
// looked for as $ZEBUNA_X (a path), then the system's "libx.so", then
// "libx.so" in the program's library directory (lib/galdrino beside its bin
// directory, installed or in the build tree). The MBROLA library has a last
// stand-in there: the project's own synthesizer, "libzebmbr.so".
#include "platform/host_library.h"
#include "platform/platform.h"
#include "platform/posix/install_layout.h"
#include "platform/posix/regular_file.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

std::string libraryStem(const std::string &fileName) {
    std::string stem = fileName;
    std::transform(stem.begin(), stem.end(), stem.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (stem.size() > 4 && stem.ends_with(".dll"))
        stem.resize(stem.size() - 4);
    return stem;
}

std::string environmentName(const std::string &stem) {
    std::string name = "ZEBUNA_";
    for (const char c : stem)
        name += std::isalnum(static_cast<unsigned char>(c))
                    ? static_cast<char>(std::toupper(static_cast<unsigned char>(c)))
                    : '_';
    return name;
}

std::vector<std::string> candidates(const std::string &fileName) {
    const std::string stem = libraryStem(fileName);
    std::vector<std::string> paths;
    if (const char *explicitPath = std::getenv(environmentName(stem).c_str()); explicitPath)
        paths.emplace_back(explicitPath);
    paths.push_back("lib" + stem + ".so");
    const std::filesystem::path libDir(posix_host::installedLibraryDirectory());
    paths.push_back((libDir / ("lib" + stem + ".so")).string());
    if (stem == "mbrola")
        paths.push_back((libDir / "libzebmbr.so").string());
    return paths;
}

// A path to something other than a regular file is passed over: the loader
// would wait on a FIFO for ever. A bare name is the loader's to search.
bool loadable(const std::string &path) {
    return path.find('/') == std::string::npos || posix_host::isRegularFile(path);
}

} // namespace

namespace host_library {

void *open(const std::string &fileName) {
    for (const std::string &path : candidates(fileName))
        if (void *handle = loadable(path) ? dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL) : nullptr)
            return handle;
    return nullptr;
}

void *symbol(void *handle, const char *name) {
    return dlsym(handle, name);
}

void close(void *handle) {
    dlclose(handle);
}

} // namespace host_library
