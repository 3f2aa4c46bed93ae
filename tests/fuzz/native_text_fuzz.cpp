// Free text spoken the way the program speaks it with the native voice and
// the shipped data (number words, letter recordings, pauses, clicks, the
// translator and the synthesizer): any bytes, Windows-1252 or the DOS code
// page, are spoken to the end.
#include "platform/host_settings.h"
#include "tests/fuzz/fuzz_support.h"
#include "tradutor/speech/speech.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    const std::string ini = fuzz_support::dataFile("windows/ZEBUNA.INI");
    fuzz_support::startMachine(fuzz_support::readDataFile("windows/ZEBUNA.INI"));
    platform::setDriveRoot(std::filesystem::path(ini).parent_path().parent_path().string());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_support::restartMachine();
    speech::initSpeech(3, "");
    speech::speakText(std::string(fuzz_support::asText(data, size)));
    speech::waitWhileSpeaking();
    speech::doneSpeech();
    return 0;
}
