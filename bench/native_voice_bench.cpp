// Speed of the native voice: translation plus synthesis of a 10,000-word
// Portuguese text into memory (headless backend, virtual time), against
// espeak-ng writing the same text to a file, and the time to open the voice.
//   native-voice-bench [TEXT.txt]   (UTF-8; default: sentences of the game's words)
#include "app/module_start.h"
#include "platform/cp1252.h"
#include "platform/headless/headless.h"
#include "platform/host_settings.h"
#include "tradutor/diphone/native_voice.h"
#include "tradutor/speech/speech.h"

#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

double cpuSeconds(int who = RUSAGE_SELF) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// 10,000 words in sentences of eight, from the game's word list.
std::string defaultText() {
    std::istringstream list(readFile(platform::driveRoot() + "/talvek/som/quibo2/galdrino.pal"));
    std::vector<std::string> words;
    for (std::string w; std::getline(list, w);) {
        if (!w.empty() && w.back() == '\r')
            w.pop_back();
        for (auto &c : w)
            c = static_cast<char>(c - 'A' + 'a');
        if (!w.empty())
            words.push_back(w);
    }
    std::string text;
    for (size_t i = 0; i < 10000 && !words.empty(); ++i)
        text += words[(i * 7919) % words.size()] + ((i + 1) % 8 ? " " : ". ");
    return text;
}

size_t wordCount(const std::string &text) {
    std::istringstream in(text);
    size_t n = 0;
    for (std::string w; in >> w;)
        ++n;
    return n;
}

// Sentences of at most 999 characters, as the voice takes them.
std::vector<std::string> sentences(const std::string &text) {
    std::vector<std::string> out;
    std::string current;
    for (const char c : text) {
        const bool end = c == '.' || c == ',' || c == '\n';
        if (!end)
            current += c;
        if (end || current.size() >= 900) {
            if (!current.empty())
                out.push_back(current);
            current.clear();
        }
    }
    if (!current.empty())
        out.push_back(current);
    return out;
}

// CPU seconds espeak-ng takes to write the text to a WAV file, and the
// seconds of audio it wrote (16-bit mono 22050 Hz).
bool timeEspeak(const std::string &utf8Text, double &cpu, double &audio) {
    const std::string textPath = "/tmp/zeb-bench-text.txt", wavPath = "/tmp/zeb-bench.wav";
    std::ofstream(textPath) << utf8Text;
    const double before = cpuSeconds(RUSAGE_CHILDREN);
    const int status =
        std::system(("espeak-ng -v pt-br -f " + textPath + " -w " + wavPath).c_str());
    cpu = cpuSeconds(RUSAGE_CHILDREN) - before;
    std::ifstream wav(wavPath, std::ios::binary | std::ios::ate);
    audio = wav ? static_cast<double>(static_cast<long>(wav.tellg()) - 44) / (22050.0 * 2) : 0;
    return status == 0 && audio > 0;
}

} // namespace

int main(int argc, char **argv) {
    headless::reset();
    const std::string utf8 = argc > 1 ? readFile(argv[1]) : defaultText();
    const std::string text = platform::utf8ToCp1252(utf8);

    app::startModules();
    const auto openStart = std::chrono::steady_clock::now();
    speech::initSpeech(3, "c:\\talvek\\som\\quibo2\\");
    const double openMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - openStart)
            .count();

    const auto parts = sentences(text);
    const uint64_t virtualStart = headless::nowMs();
    const double cpuStart = cpuSeconds();
    for (const auto &sentence : parts)
        diphone::speakPhonemes(diphone::translateText(sentence), false);
    const double cpu = cpuSeconds() - cpuStart;
    const double audio =
        static_cast<double>(static_cast<int64_t>(headless::nowMs() - virtualStart)) / 1000.0;
    const auto words = static_cast<double>(wordCount(utf8));

    std::printf("opening the voice (settings, index, rules, exceptions): %.1f ms\n", openMs);
    std::printf("native voice: %.0f words, %.1f s of speech in %.3f s CPU: %.0f words/s, "
                "real-time factor %.0f\n",
                words, audio, cpu, words / cpu, audio / cpu);
    double espeakCpu = 0, espeakAudio = 0;
    if (timeEspeak(utf8, espeakCpu, espeakAudio)) {
        std::printf("espeak-ng -v pt-br -w: %.1f s of speech in %.3f s CPU: real-time factor "
                    "%.0f\n",
                    espeakAudio, espeakCpu, espeakAudio / espeakCpu);
        std::printf("ratio of the real-time factors (native / espeak-ng): %.1f\n",
                    (audio / cpu) / (espeakAudio / espeakCpu));
    }
    return 0;
}
