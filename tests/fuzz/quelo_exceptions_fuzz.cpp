// The built-in engine's respellings (portug.exc): any file loads, and
// utterances pass every stage with its replacements (which go through the
// stress finder and the rules like any word). The loader reads files only,
// so the input is written to a scratch file first.
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/quelo_data.h"
#include "tradutor/quelo/rules.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    quelo_data::loadShipped();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string path = fuzz_support::scratchDirectory() + "/portug.exc";
    fuzz_support::writeFile(path, fuzz_support::asText(data, size));
    if (!quelo::loadNrlExceptions(path) || quelo::nrlExceptionCount() > quelo::MaxNrlExceptions)
        __builtin_trap();
    quelo_data::speakTexts();
    return 0;
}
