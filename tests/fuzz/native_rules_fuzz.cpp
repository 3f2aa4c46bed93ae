// The native voice's letter-to-sound rules (regras.rgr): any rule file loads,
// texts with every letter, accent and sign translate with those rules into
// phoneme strings of bracketed words, and the shipped voice speaks whatever
// units the rules' outputs make.
#include "tests/fuzz/fuzz_support.h"
#include "tradutor/diphone/native_voice.h"
#include "tradutor/diphone/translator.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr const char *Texts[] = {
    "Tenho vinte anos, casa amarela; p\343o e ma\347\343! Quero o melhor: h\355fen-tchau?",
    "A r\341pida raposa marrom pula sobre o c\343o pregui\347oso.",
    "Ao l\341 \351 ali ou \372 \364 \352 \374 \340 \342 \365 \350",
    "xyzw KWY qu gu nh lh ch rr ss sc sc\347 \200\201\202\203\204\205\206\207 www d'\341gua",
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    using fuzz_support::readDataFile;
    if (fuzz_support::openNativeVoice(readDataFile("talvek/som/difones/ZEBVOZ.IND"),
                                      readDataFile("talvek/som/difones/ZEBVOZ.DIF"), "", "") != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_support::restartMachine();
    diphone::translator::loadRulesText(fuzz_support::asText(data, size));
    for (const char *text : Texts) {
        const std::string phonemes = diphone::translator::translateText(text);
        if (phonemes.empty() || phonemes.front() != '[' || phonemes.back() != ']')
            __builtin_trap();
        diphone::speakPhonemes(phonemes, false);
    }
    return 0;
}
