// The native voice's respellings (portug.exc): any file loads, and texts
// whose words (and their plurals) may be respelled translate with the
// shipped rules into phoneme strings of bracketed words. The loader reads
// files only, so the input is written to a scratch file first.
#include "tests/fuzz/fuzz_support.h"
#include "tradutor/diphone/translator.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr const char *Texts[] = {
    "muito muitos aguentar casas casa bem bens homem homens ma\347\343s s m ss mm",
    "Tenho vinte anos, casa amarela; p\343o e ma\347\343! Quero o melhor: h\355fen-tchau?",
};

std::string rules;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    rules = fuzz_support::readDataFile("talvek/som/difones/regras.rgr");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    namespace translator = diphone::translator;
    const std::string path = fuzz_support::scratchDirectory() + "/portug.exc";
    fuzz_support::writeFile(path, fuzz_support::asText(data, size));
    translator::loadRulesText(rules);
    if (!translator::loadExceptions(path) ||
        translator::exceptionCount() > translator::MaxExceptions)
        __builtin_trap();
    for (const char *text : Texts) {
        const std::string phonemes = translator::translateText(text);
        if (phonemes.empty() || phonemes.front() != '[' || phonemes.back() != ']')
            __builtin_trap();
    }
    return 0;
}
