// The built-in engine's abbreviations (portug.abr): any file loads, and
// utterances with abbreviations pass every stage with its expansions.
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/quelo_data.h"
#include "tradutor/quelo/normalise.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    quelo_data::loadShipped();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    quelo::loadAbbreviations(quelo::DataText::memory(fuzz_support::asText(data, size)));
    quelo_data::speakTexts();
    return 0;
}
