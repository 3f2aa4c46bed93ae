// The built-in engine's diphone list (portug.dfn): any file loads, and
// utterances pass every stage with the transitions it asks for.
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/quelo_data.h"
#include "tradutor/quelo/prosody.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    quelo_data::loadShipped();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    quelo::loadDiphoneList(quelo::DataText::memory(fuzz_support::asText(data, size)));
    quelo_data::speakTexts();
    return 0;
}
