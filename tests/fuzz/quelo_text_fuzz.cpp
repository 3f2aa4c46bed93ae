// Free text through the built-in engine with the shipped data: any bytes
// pass normalisation, tokens, patterns, pronunciation and prosody.
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/quelo_data.h"
#include "tradutor/quelo/engine.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    quelo_data::loadShipped();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    quelo::queloPipeline(std::string(fuzz_support::asText(data, size)), quelo::Stage::Lines);
    return 0;
}
