#include "tools/voicebuild/espeak_runs.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>

namespace voicebuild {
namespace {

// espeak-ng's markup flattens the intonation; the blank before the closing
// tag keeps "]]" apart from it.
std::string markup(const std::string &phonemes) {
    return "<speak><prosody range=\"0\">[[" + phonemes + "]] </prosody></speak>\n";
}

uint64_t fnv1a(const std::string &text) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string hex(uint64_t value) {
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(value));
    return buffer;
}

std::string shellQuoted(const std::string &text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

struct Job {
    std::string text;
    std::string textPath;
    std::string wavPath;
};

std::string command(const EspeakSettings &settings, const Job &job, const std::string &partPath) {
    return shellQuoted(settings.program) + " -v " + shellQuoted(settings.voice) + " -s " +
           std::to_string(settings.speed) + " -p " + std::to_string(settings.pitch) +
           " -m -z -b 1 -f " + shellQuoted(job.textPath) + " -w " + shellQuoted(partPath);
}

// One job: the text goes through a file, the sound into a temporary name that
// is renamed once espeak-ng has succeeded.
bool run(const EspeakSettings &settings, const Job &job, std::string &error) {
    {
        std::ofstream text(job.textPath, std::ios::binary | std::ios::trunc);
        text << job.text;
        if (!text) {
            error = "cannot write " + job.textPath;
            return false;
        }
    }
    const std::string partPath = job.wavPath + ".part";
    std::error_code ignored;
    std::filesystem::remove(partPath, ignored);
    const int status = std::system(command(settings, job, partPath).c_str());
    if (status != 0 || !std::filesystem::exists(partPath) ||
        std::filesystem::file_size(partPath, ignored) <= 44) {
        error = "espeak-ng failed (status " + std::to_string(status) + ") speaking " + job.text +
                "  command: " + command(settings, job, partPath);
        return false;
    }
    std::filesystem::rename(partPath, job.wavPath, ignored);
    if (ignored) {
        error = "cannot rename " + partPath + ": " + ignored.message();
        return false;
    }
    return true;
}

} // namespace

bool speakAll(const EspeakSettings &settings, const std::vector<std::string> &inputs,
              const std::string &cacheDir, std::vector<std::string> &wavPaths, std::string &error) {
    std::error_code failure;
    std::filesystem::create_directories(cacheDir, failure);
    if (failure) {
        error = "cannot create " + cacheDir + ": " + failure.message();
        return false;
    }
    const std::string settingsKey = settings.voice + "\n" + std::to_string(settings.speed) + "\n" +
                                    std::to_string(settings.pitch) + "\n";
    std::vector<Job> jobs;
    std::set<std::string> queued; // units that sound alike share one run
    wavPaths.clear();
    for (const auto &input : inputs) {
        const std::string text = markup(input);
        const std::string stem = cacheDir + "/" + hex(fnv1a(settingsKey + text));
        wavPaths.push_back(stem + ".wav");
        if (!std::filesystem::exists(stem + ".wav") && queued.insert(stem).second) {
            jobs.push_back({text, stem + ".txt", stem + ".wav"});
        }
    }
    std::atomic<size_t> next = 0;
    std::atomic<bool> failed = false;
    std::mutex errorLock;
    const auto worker = [&] {
        for (size_t i = next++; i < jobs.size() && !failed; i = next++) {
            std::string message;
            if (!run(settings, jobs[i], message)) {
                const std::lock_guard lock(errorLock);
                if (!failed.exchange(true)) {
                    error = message;
                }
            }
        }
    };
    std::vector<std::jthread> workers;
    for (unsigned i = 0; i < std::max(1u, settings.jobs); ++i) {
        workers.emplace_back(worker);
    }
    workers.clear();
    return !failed;
}

} // namespace voicebuild
