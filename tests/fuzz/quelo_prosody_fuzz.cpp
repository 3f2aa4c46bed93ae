// The built-in engine's prosody file (portug.pro): any file loads or is
// refused with its messages, and utterances pass every stage with its
// durations, keywords, pitch table and rules.
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/quelo_data.h"
#include "tradutor/quelo/prosody.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz_support::startMachine("");
    quelo_data::loadShipped();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The loader's message boxes go to the transcript, emptied for each input.
    fuzz_support::restartMachine();
    quelo::loadProsody(quelo::DataText::memory(fuzz_support::asText(data, size)));
    quelo_data::speakTexts();
    return 0;
}
