#include "bench/bench_support.h"

#include "platform/file.h"
#include "platform/host_settings.h"
#include "platform/wav_format.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

extern char **environ;

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

double wavSeconds(const std::string &path) {
    platform::File file;
    wav::Format format;
    uint32_t dataBytes = 0;
    if (!file.open(path) || !wav::readFileFormat(file, format) ||
        !wav::findFileData(file, dataBytes))
        return 0;
    const double bytesPerSecond =
        static_cast<double>(format.rate) * wav::blockAlign(format.channels, format.bits);
    return bytesPerSecond > 0 ? dataBytes / bytesPerSecond : 0;
}

bool compareWithEspeak(const char *who, const std::string &utf8Text, double audio, double cpu) {
    const std::string stem = "/tmp/zeb-bench-" + std::to_string(getpid());
    const std::string textPath = stem + ".txt", wavPath = stem + ".wav";
    std::ofstream(textPath) << utf8Text;
    const double before = childrenCpuSeconds();
    // Without -q, which silences the file output too.
    const int status = std::system(
        ("espeak-ng -v pt-br -f " + textPath + " -w " + wavPath + " 2>/dev/null").c_str());
    const double espeakCpu = childrenCpuSeconds() - before;
    const double espeakAudio = wavSeconds(wavPath);
    std::remove(textPath.c_str());
    std::remove(wavPath.c_str());
    if (status != 0 || espeakAudio <= 0 || espeakCpu <= 0) {
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        const std::string why = status == 0   ? "it wrote no speech"
                                : code == 127 ? "no espeak-ng on the PATH"
                                              : "exit status " + std::to_string(code);
        std::printf("\n*** ESPEAK-NG COULD NOT RUN (%s): NO COMPARISON WITH IT ***\n\n",
                    why.c_str());
        return false;
    }
    std::printf("espeak-ng -v pt-br -w on the same text: %.1f s of speech in %.3f s CPU: "
                "real-time factor %.0f\n",
                espeakAudio, espeakCpu, espeakAudio / espeakCpu);
    std::printf("ratio of the real-time factors (%s / espeak-ng): %.2f\n", who,
                (audio / cpu) / (espeakAudio / espeakCpu));
    // The pace: how much longer the one takes than the other to say the text.
    std::printf("ratio of the speech durations (%s / espeak-ng): %.2f\n", who, audio / espeakAudio);
    return true;
}

std::string programDirectory() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

ProgramRun runProgram(const std::vector<std::string> &arguments, const std::string &inputPath) {
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, inputPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    ProgramRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    rusage usage{};
    if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss; // of this child alone
    run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

} // namespace bench
