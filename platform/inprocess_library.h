// Libraries served from inside the process under a library's file name:
// loadLibrary finds them before anything on disk. The tests stand scripted
// fakes in for real libraries this way.
#pragma once

#include <functional>
#include <string>

namespace platform {

// Resolves an entry point by name; nullptr when the library has none.
using SymbolResolver = std::function<void *(const char *name)>;

// Serves `fileName` (compared without regard to case) from `resolver` until
// it is withdrawn. A later registration of the same name replaces it.
void registerInProcessLibrary(const std::string &fileName, SymbolResolver resolver);
void withdrawInProcessLibrary(const std::string &fileName);

} // namespace platform
