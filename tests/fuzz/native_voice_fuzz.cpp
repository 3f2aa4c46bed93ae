// The native voice's unit index (.IND, 15-byte records) and sample file
// (.DIF): any pair of files, opened as the speech layer opens a voice, speaks
// a sentence through the synthesizer without reading outside either file or
// outside its 64000-byte output buffer. Input: the two files joined
// (fuzz_support::splitTwoFiles).
#include "tests/fuzz/fuzz_support.h"
#include "tradutor/diphone/native_voice.h"

#include <cstddef>
#include <cstdint>

namespace {

// Unit shapes the decomposition treats apart: clusters, final s and rr,
// nasal and closed vowels with and without semivowels, letter recordings,
// spelled punctuation, long groups cut at a slash.
constexpr const char *Phonemes =
    "[ t/E~/ nh/u][ v/i~/ tch/i][a~/ n/u/s][ /_,][ k/A/ z/a][ p/A~w][ m/e^/ lh/O/rr][ /_:]"
    "[/I/ f/e~][ /_-][ tch/A/w][ pr/a/ dj/i/ ks/a~y/ a^w][ /_A][ /_.][a/b/c/d/e/f/g/h/i/j/k]"
    "[|/e^y~][ /_\001]";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto files = fuzz_support::splitTwoFiles(fuzz_support::asText(data, size));
    if (fuzz_support::openNativeVoice(files.first, files.second, "", "") == 0)
        diphone::speakPhonemes(Phonemes, false);
    diphone::closeVoice();
    return 0;
}
