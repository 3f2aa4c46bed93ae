// The built-in engine's pronunciation rules (portug.nrl): any rule file
// loads, and utterances pass every stage with its rules.
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
    quelo::loadNrlRules(quelo::DataText::memory(fuzz_support::asText(data, size)));
    quelo_data::speakTexts();
    return 0;
}
