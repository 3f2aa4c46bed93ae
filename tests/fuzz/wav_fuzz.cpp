// WAV files as the program's readers meet them: the wave player playing a
// file and an image, and the native voice reading a letter recording. Any
// bytes play what they hold or nothing, and never make a reader go past
// them.
#include "tests/fuzz/fuzz_support.h"
#include "tradutor/diphone/native_voice.h"
#include "tradutor/speech/wave_player.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // A voice without units: every letter it speaks is a letter recording.
    if (fuzz_support::openNativeVoice("", "", "", "") != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string_view bytes = fuzz_support::asText(data, size);
    fuzz_support::restartMachine();
    wave::playWaveImage(data, size);
    wave::stopWave();
    const std::string letter = fuzz_support::scratchDirectory() + "/letras/_65.wav";
    fuzz_support::writeFile(letter, bytes);
    wave::playWaveFile(letter);
    diphone::speakPhonemes("[ /_A][ /_a]", false);
    return 0;
}
