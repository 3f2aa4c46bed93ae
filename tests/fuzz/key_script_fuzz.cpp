// The headless backend's key scripts: any text parses or is refused with a
// message, and every key parsed delivers at least one message.
#include "platform/headless/key_script.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<headless::ScriptedKey> keys;
    std::string error;
    const bool parsed =
        headless::parseKeyScript(std::string(fuzz_support::asText(data, size)), keys, error);
    if (!parsed && error.empty())
        __builtin_trap();
    for (const auto &key : keys)
        if (key.messages.empty())
            __builtin_trap();
    return 0;
}
