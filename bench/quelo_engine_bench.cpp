// Speed of the built-in engine:
// - loading its five data files, and the whole initialisation with the
//   synthesizer library and its voice;
// - text to phoneme lines for a 10,000-word text, sentence by sentence and
//   as one utterance, with the peak memory;
// - synthesis of the same text into the engine's output file, as a
//   real-time factor, against espeak-ng on the same text;
// - the time from the start of an utterance to its first image handed to
//   the wave player, for a one-word and a 200-word text.
// The peak memory is measured first, before the synthesizer's voice is read.
//   quelo-engine-bench [TEXT.txt]   (UTF-8; default: sentences of the game's words)
#include "app/module_start.h"
#include "bench/bench_support.h"
#include "platform/cp1252.h"
#include "platform/headless/headless.h"
#include "platform/host_settings.h"
#include "platform/inprocess_library.h"
#include "tradutor/quelo/engine.h"
#include "tradutor/quelo/mbrola_driver.h"
#include "tradutor/servers/quelo_server.h"
#include "tradutor/speech/wave_player.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const servers::QueloFileSet &files() {
    return servers::queloFileSet();
}

bool loadData() {
    return quelo::queloLoadData(files().rules, files().exceptions, files().abbreviations,
                                files().prosody, files().diphones);
}

bool initEngine() {
    return quelo::queloInit(files().database, files().rules, files().exceptions,
                            files().abbreviations, files().prosody, files().diphones);
}

double medianMs(const std::vector<double> &times) {
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
}

void timeLoading() {
    std::vector<double> dataMs, initMs;
    for (int run = 0; run < 7; ++run) {
        auto start = Clock::now();
        loadData();
        dataMs.push_back(msSince(start));
        start = Clock::now();
        const bool initialised = initEngine();
        initMs.push_back(msSince(start));
        quelo::queloClose();
        if (!initialised)
            initMs.clear();
    }
    std::printf("loading the five data files: median %.2f ms of 7\n", medianMs(dataMs));
    if (!initMs.empty())
        std::printf("queloInit with the synthesizer and its voice: median %.2f ms of 7\n",
                    medianMs(initMs));
    else
        std::printf("queloInit: the synthesizer library or its voice could not be loaded\n");
}

// A synthesizer that takes every line and gives no sound, so that what is
// timed is the engine alone.
int ZEB_MBR_CALL silentInit(char *) {
    return 0;
}
int ZEB_MBR_CALL silentZero() {
    return 0;
}
int ZEB_MBR_CALL silentWrite(char *) {
    return 0;
}
int ZEB_MBR_CALL silentRead(short *, int) {
    return 0;
}
void ZEB_MBR_CALL silentVoid() {}
void ZEB_MBR_CALL silentSetNoError(int) {}

void *silentEntry(const char *name) {
    const std::string entry = name;
    if (entry == "init_MBR")
        return reinterpret_cast<void *>(&silentInit);
    if (entry == "write_MBR")
        return reinterpret_cast<void *>(&silentWrite);
    if (entry == "read_MBR")
        return reinterpret_cast<void *>(&silentRead);
    if (entry == "close_MBR")
        return reinterpret_cast<void *>(&silentVoid);
    if (entry == "setNoError_MBR")
        return reinterpret_cast<void *>(&silentSetNoError);
    return reinterpret_cast<void *>(&silentZero);
}

void timePipeline(const std::string &text, double words) {
    double cpu = bench::cpuSeconds();
    size_t lines = 0;
    for (const auto &sentence : bench::sentences(text))
        lines += quelo::queloPipeline(sentence, quelo::Stage::Lines).size();
    cpu = bench::cpuSeconds() - cpu;
    std::printf("text to phoneme lines, sentence by sentence: %.0f words, %zu lines in %.3f s "
                "CPU: %.0f words/s\n",
                words, lines, cpu, words / cpu);

    platform::registerInProcessLibrary("mbrola.dll", silentEntry);
    if (initEngine()) {
        const long before = bench::peakResidentKiB();
        cpu = bench::cpuSeconds();
        quelo::queloSpeak(text);
        cpu = bench::cpuSeconds() - cpu;
        std::printf("the whole text as one utterance, to a silent synthesizer: %.3f s CPU: %.0f "
                    "words/s; peak memory grew %ld KiB for a text of %zu KiB\n",
                    cpu, words / cpu, bench::peakResidentKiB() - before, text.size() / 1024);
    }
    quelo::queloClose();
    platform::withdrawInProcessLibrary("mbrola.dll");
}

// False when espeak-ng could not be compared with.
bool timeSynthesis(const std::string &text, const std::string &utf8) {
    const std::string wavPath = "/tmp/zeb-quelo-bench.wav";
    quelo::queloSetOutputFile(wavPath);
    if (!initEngine()) {
        std::printf("synthesis: the synthesizer library or its voice could not be loaded\n");
        quelo::queloSetOutputFile("");
        return false;
    }
    double cpu = bench::cpuSeconds();
    for (const auto &sentence : bench::sentences(text))
        quelo::queloSpeak(sentence);
    quelo::queloClose();
    cpu = bench::cpuSeconds() - cpu;
    quelo::queloSetOutputFile("");
    const double audio = bench::wavSeconds(wavPath);
    std::printf("synthesis into the output file: %.1f s of speech in %.3f s CPU: real-time "
                "factor %.0f\n",
                audio, cpu, audio / cpu);
    return bench::compareWithEspeak("engine", utf8, audio, cpu);
}

// The first image reaches the wave player while the utterance is still
// being synthesized: its time is taken at the first read that follows it.
struct FirstImage {
    platform::LibraryHandle real = nullptr;
    Clock::time_point start;
    size_t blocksBefore = 0;
    double ms = -1;
};
FirstImage firstImage;

int ZEB_MBR_CALL timedRead(short *buffer, int wanted) {
    if (firstImage.ms < 0 && headless::capturedAudio().size() > firstImage.blocksBefore)
        firstImage.ms = msSince(firstImage.start);
    using ReadFn = int(ZEB_MBR_CALL *)(short *, int);
    return reinterpret_cast<ReadFn>(platform::librarySymbol(firstImage.real, "read_MBR"))(buffer,
                                                                                          wanted);
}

void timeFirstImage(const std::string &text, const char *label) {
    firstImage.real = platform::loadLibrary("mbrola.dll");
    if (!firstImage.real)
        return;
    platform::registerInProcessLibrary("mbrola.dll", [](const char *name) -> void * {
        if (std::string(name) == "read_MBR")
            return reinterpret_cast<void *>(&timedRead);
        return platform::librarySymbol(firstImage.real, name);
    });
    if (initEngine()) {
        headless::setAudioCapture(true);
        firstImage.ms = -1;
        firstImage.blocksBefore = headless::capturedAudio().size();
        firstImage.start = Clock::now();
        quelo::queloSpeak(text);
        const double wholeMs = msSince(firstImage.start);
        if (firstImage.ms < 0)
            firstImage.ms = wholeMs;
        std::printf("first image to the wave player, %s: %.1f ms (whole utterance %.1f ms)\n",
                    label, firstImage.ms, wholeMs);
        quelo::queloStop();
        headless::setAudioCapture(false);
    }
    quelo::queloClose();
    platform::withdrawInProcessLibrary("mbrola.dll");
    platform::freeLibrary(firstImage.real);
}

std::string firstWords(const std::string &text, size_t count) {
    size_t pos = 0;
    for (size_t n = 0; n < count && pos != std::string::npos; ++n)
        pos = text.find(' ', pos + 1);
    return text.substr(0, pos);
}

} // namespace

int main(int argc, char **argv) {
    headless::reset();
    headless::setCloseWhenScriptEnds(false);
    const std::string utf8 = argc > 1 ? bench::readFile(argv[1]) : bench::gameWordsText();
    const std::string text = platform::utf8ToCp1252(utf8);
    const auto words = static_cast<double>(bench::wordCount(utf8));
    app::startModules();
    if (!loadData()) {
        std::printf("the engine's data files could not be loaded: %s\n",
                    platform::cp1252ToUtf8(quelo::queloErrorText()).c_str());
        return 1;
    }
    servers::setQueloFactors(0, 0);
    timePipeline(text, words);
    timeLoading();
    const bool compared = timeSynthesis(text, utf8);
    timeFirstImage(firstWords(text, 1), "one word");
    timeFirstImage(firstWords(text, 200), "200 words");
    timeFirstImage(text, "the whole text");
    return compared ? 0 : 1;
}
