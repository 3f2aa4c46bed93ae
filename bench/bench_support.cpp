#include "bench/bench_support.h"

#include "platform/host_settings.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace bench {
namespace {

double seconds(const rusage &usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double childrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return seconds(usage);
}

} // namespace

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return seconds(usage);
}

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string gameWordsText() {
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

bool timeEspeak(const std::string &utf8Text, double &cpu, double &audio) {
    const std::string textPath = "/tmp/zeb-bench-text.txt", wavPath = "/tmp/zeb-bench.wav";
    std::ofstream(textPath) << utf8Text;
    const double before = childrenCpuSeconds();
    std::remove(wavPath.c_str());
    // No -q: it silences the file output too.
    const int status =
        std::system(("espeak-ng -v pt-br -f " + textPath + " -w " + wavPath).c_str());
    cpu = childrenCpuSeconds() - before;
    std::ifstream wav(wavPath, std::ios::binary | std::ios::ate);
    audio = wav ? static_cast<double>(static_cast<long>(wav.tellg()) - 44) / (22050.0 * 2) : 0;
    return status == 0 && audio > 0;
}

} // namespace bench
