// The text side of the POSIX hosts' profile reader and registry file: the
// lookups on the bytes of a file already in memory.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace posix_host {

// GetPrivateProfileStringA on the text of a profile file: the value of `key`
// in the first section named `section`, or the default (its trailing blanks
// dropped), cut to capacity - 1 characters.
std::string profileValue(std::string_view data, const std::string &section, const std::string &key,
                         const std::string &defaultValue, size_t capacity);

// A value of the registry file's text (REGEDIT4 export format); false when
// the key, the value or its data is missing or malformed.
bool registryValue(std::string_view contents, platform::RegistryRoot root, const std::string &key,
                   const std::string &valueName, platform::RegistryValue &out);

} // namespace posix_host
