// Settings of ZEBUNA.INI and a short text through the whole speaking path:
// the speech layer as the game starts it (initSpeech, then speakText with the
// native voice, or the server the settings choose) and the built-in engine
// as a server started with the [SERVFALA] rate and pitch, on our own
// synthesizer served in the process. The input is the INI text and, on its
// last line, the text (its first 32 bytes); the INI is read before the
// shipped one, so that a section it holds takes the shipped one's place.
// Whatever the numbers, the sound stays within a bound that grows with the
// text: no setting may make the program speak for hours or without end.
#include "console/console.h"
#include "platform/headless/headless.h"
#include "platform/host_settings.h"
#include "tests/fuzz/fuzz_support.h"
#include "tradutor/servers/server.h"
#include "tradutor/speech/config.h"
#include "tradutor/speech/setting_ranges.h"
#include "tradutor/speech/speech.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace {

constexpr size_t MaxTextBytes = 32;
// The longest pause is 5 s, after a mark of one byte that is itself heard,
// and a word gap 2 s: 8 s of sound a byte of text, beyond a start, is more
// than any setting can ask for.
constexpr uint64_t StartMs = 10000;
constexpr uint64_t MsPerByte = 8000;
// Bytes the wave device may take a second: 16-bit stereo at 48 kHz.
constexpr uint64_t MaxBytesPerSecond = 48000 * 4;

std::string shippedIni;
std::string dataRoot;

struct Input {
    std::string ini;
    std::string text;
};

Input split(std::string_view input) {
    const size_t lineEnd = input.rfind('\n');
    if (lineEnd == std::string_view::npos)
        return {{}, std::string(input.substr(0, MaxTextBytes))};
    return {std::string(input.substr(0, lineEnd)),
            std::string(input.substr(lineEnd + 1, MaxTextBytes))};
}

// Counts what the device is given; traps as soon as it is more than the
// bound, so that an endless sound is found without waiting for its end.
class SoundBound {
public:
    explicit SoundBound(const std::string &text)
        : limitMs_(StartMs + MsPerByte * text.size()), startMs_(headless::nowMs()) {
        headless::setAudioSink([this](const headless::TimedBlock &block) {
            bytes_ += block.bytes.size();
            check();
        });
    }
    ~SoundBound() {
        headless::setAudioSink({});
        check();
    }
    SoundBound(const SoundBound &) = delete;
    SoundBound &operator=(const SoundBound &) = delete;

private:
    void check() const {
        if (headless::nowMs() - startMs_ > limitMs_ || bytes_ > limitMs_ * MaxBytesPerSecond / 1000)
            __builtin_trap();
    }
    uint64_t limitMs_;
    uint64_t startMs_;
    uint64_t bytes_ = 0;
};

void start(const Input &input) {
    fuzz_support::startMachine(input.ini + "\r\n" + shippedIni);
    platform::setDriveRoot(dataRoot);
}

// As the game speaks the word at the end of a round.
void speakAsTheGame(const Input &input) {
    start(input);
    const SoundBound bound(input.text);
    speech::initSpeech(3, "");
    console::writeLine(input.text); // the window, with the [VIDEO] settings
    speech::speakText(input.text);
    speech::waitWhileSpeaking();
    speech::doneSpeech();
}

int32_t servfala(const char *key) {
    return speech::parseConfigInteger(speech::readConfig("SERVFALA", key)).value_or(0);
}

// The built-in engine, whatever server the settings choose.
void speakWithTheEngine(const Input &input) {
    start(input);
    const SoundBound bound(input.text);
    const speech::ServerSettings given = speech::serverSettingsFor(
        servers::ServerKindQuelo, 0, servfala("VELOCIDADE"), servfala("TOM"));
    if (!servers::serverStart(0, given.rate, given.pitch, "", servers::ServerKindQuelo))
        return;
    servers::serverSpeak(input.text);
    while (servers::serverBusy(servers::Busy::Sounding))
        console::delayMs(10);
    servers::serverClose();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    const std::string ini = fuzz_support::dataFile("windows/ZEBUNA.INI");
    shippedIni = fuzz_support::readDataFile("windows/ZEBUNA.INI");
    dataRoot = std::filesystem::path(ini).parent_path().parent_path().string();
    fuzz_support::serveSynthesizer();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const Input input = split(fuzz_support::asText(data, size));
    // A setting that stops the program (a voice that cannot start) ends the
    // run like the program.
    try {
        speakAsTheGame(input);
    } catch (const headless::ProcessExit &) {
    }
    try {
        speakWithTheEngine(input);
    } catch (const headless::ProcessExit &) {
    }
    return 0;
}
