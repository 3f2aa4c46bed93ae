// The registry file of the POSIX hosts (Windows' REGEDIT4 export format):
// the lookups the engine makes, in any text. A string value found always
// ends in its NUL, a number holds four bytes.
#include "platform/posix/profile_text.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstddef>
#include <cstdint>

namespace {

void lookUp(std::string_view contents, platform::RegistryRoot root, const std::string &key,
            const std::string &valueName) {
    platform::RegistryValue value;
    if (!posix_host::registryValue(contents, root, key, valueName, value))
        return;
    if (value.type == platform::RegistryString && (value.data.empty() || value.data.back() != 0))
        __builtin_trap();
    if (value.type != platform::RegistryString && value.data.size() != 4)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string_view contents = fuzz_support::asText(data, size);
    using platform::RegistryRoot;
    lookUp(contents, RegistryRoot::LocalMachine, "SOFTWARE\\TCTS\\Mbrola\\databases\\zbr1", "");
    lookUp(contents, RegistryRoot::LocalMachine, "SOFTWARE\\TCTS\\Mbrola\\databases\\br4", "");
    lookUp(contents, RegistryRoot::CurrentUser, "Software\\Zebuna", "Count");
    // A key and value named by the input's own first line, "key|value".
    const std::string_view first = contents.substr(0, contents.find('\n'));
    const size_t bar = first.find('|');
    if (bar != std::string_view::npos)
        lookUp(contents, RegistryRoot::LocalMachine, std::string(first.substr(0, bar)),
               std::string(first.substr(bar + 1)));
    return 0;
}
