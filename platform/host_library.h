// The host's own run-time library loader, used by platform::loadLibrary once
// no in-process library answers to the name. One implementation per host.
#pragma once

#include <string>

namespace host_library {

// The library's handle, or nullptr when it cannot be found or loaded.
void *open(const std::string &fileName);
void *symbol(void *handle, const char *name);
void close(void *handle);

} // namespace host_library
