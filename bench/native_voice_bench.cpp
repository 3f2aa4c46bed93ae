// Speed of the native voice: translation plus synthesis of a 10,000-word
// Portuguese text into memory (headless backend, virtual time), against
// espeak-ng writing the same text to a file, and the time to open the voice;
// then zebfala -w writing the same text as a player runs it (the sound laid
// out and converted to 22050 Hz), in wall time against espeak-ng's, with
// zebfala's peak memory.
//   native-voice-bench [TEXT.txt]   (UTF-8; default: sentences of the game's words)
#include "app/module_start.h"
#include "bench/bench_support.h"
#include "platform/cp1252.h"
#include "platform/headless/headless.h"
#include "platform/host_settings.h"
#include "tradutor/diphone/native_voice.h"
#include "tradutor/speech/speech.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// False when zebfala or espeak-ng could not run.
bool timeZebfala(const std::string &utf8) {
    const std::string stem = "/tmp/zeb-zebfala-bench-" + std::to_string(getpid());
    const std::string textPath = stem + ".txt", wavPath = stem + ".wav";
    std::ofstream(textPath) << utf8;
    const auto zebfala =
        bench::runProgram({bench::programDirectory() + "/zebfala", "-w", wavPath, "-"}, textPath);
    const double audio = bench::wavSeconds(wavPath);
    const auto espeak =
        bench::runProgram({"espeak-ng", "-v", "pt-br", "-f", textPath, "-w", wavPath}, "/dev/null");
    const double espeakAudio = bench::wavSeconds(wavPath);
    std::remove(textPath.c_str());
    std::remove(wavPath.c_str());
    if (!zebfala.succeeded || audio <= 0) {
        std::printf("\n*** ZEBFALA -w COULD NOT RUN: NO FIGURE FOR IT ***\n\n");
        return false;
    }
    std::printf("zebfala -w, native voice: %.1f s of speech in %.2f s wall: %.0f times real "
                "time; peak memory %.1f MB\n",
                audio, zebfala.wallSeconds, audio / zebfala.wallSeconds,
                static_cast<double>(zebfala.peakKiB) / 1024.0);
    if (!espeak.succeeded || espeakAudio <= 0) {
        std::printf("\n*** ESPEAK-NG COULD NOT RUN: NO COMPARISON WITH ZEBFALA ***\n\n");
        return false;
    }
    std::printf("espeak-ng -v pt-br -w on the same text: %.1f s of speech in %.2f s wall: %.0f "
                "times real time\n",
                espeakAudio, espeak.wallSeconds, espeakAudio / espeak.wallSeconds);
    std::printf("ratio of the wall-time speeds (zebfala / espeak-ng): %.2f\n",
                (audio / zebfala.wallSeconds) / (espeakAudio / espeak.wallSeconds));
    return true;
}

} // namespace

int main(int argc, char **argv) {
    headless::reset();
    const std::string utf8 = argc > 1 ? bench::readFile(argv[1]) : bench::gameWordsText();
    const std::string text = platform::utf8ToCp1252(utf8);

    app::startModules();
    const auto openStart = std::chrono::steady_clock::now();
    speech::initSpeech(3, "c:\\talvek\\som\\quibo2\\");
    const double openMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - openStart)
            .count();

    const auto parts = bench::sentences(text);
    const uint64_t virtualStart = headless::nowMs();
    const double cpuStart = bench::cpuSeconds();
    for (const auto &sentence : parts)
        diphone::speakPhonemes(diphone::translateText(sentence), false);
    const double cpu = bench::cpuSeconds() - cpuStart;
    const double audio =
        static_cast<double>(static_cast<int64_t>(headless::nowMs() - virtualStart)) / 1000.0;
    const auto words = static_cast<double>(bench::wordCount(utf8));

    std::printf("opening the voice (settings, index, rules, exceptions): %.1f ms\n", openMs);
    std::printf("native voice: %.0f words, %.1f s of speech in %.3f s CPU: %.0f words/s, "
                "real-time factor %.0f\n",
                words, audio, cpu, words / cpu, audio / cpu);
    if (!bench::compareWithEspeak("native", utf8, audio, cpu))
        return 1;
    return timeZebfala(utf8) ? 0 : 1;
}
