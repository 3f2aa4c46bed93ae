// Plays long recordings through the wave player on the headless backend and
// prints the CPU time the player spends against the length of the audio, and
// the peak memory, which must not grow with the length of the file.
#include "app/module_start.h"
#include "tests/test_support.h"
#include "tradutor/speech/wave_player.h"

#include <sys/resource.h>

#include <cmath>
#include <cstdio>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A file of `seconds` of a spoken-like signal, written without holding it
// all in memory.
void writeLongWav(const std::string &path, uint32_t seconds, uint32_t rate, uint16_t bits) {
    std::FILE *out = std::fopen(path.c_str(), "wb");
    const uint32_t bytesPerSample = bits / 8u;
    const uint32_t dataLength = seconds * rate * bytesPerSample;
    std::string header = test_support::wavImage({}, rate, bits);
    for (int i = 0; i < 4; ++i) {
        header[40 + i] = static_cast<char>(dataLength >> (8 * i));
        header[4 + i] = static_cast<char>((dataLength + 36) >> (8 * i));
    }
    std::fwrite(header.data(), 1, header.size(), out);
    std::vector<uint8_t> second(rate * bytesPerSample);
    for (uint32_t s = 0; s < seconds; ++s) {
        for (uint32_t i = 0; i < rate; ++i) {
            const double v = std::sin(i * 2 * M_PI * 120 / rate) * 0.6 +
                             std::sin(i * 2 * M_PI * 360 / rate) * 0.2;
            if (bits == 8) {
                second[i] = static_cast<uint8_t>(128 + v * 100);
            } else {
                const auto sample = static_cast<int16_t>(v * 20000);
                second[2 * i] = static_cast<uint8_t>(sample & 0xFF);
                second[2 * i + 1] = static_cast<uint8_t>((sample >> 8) & 0xFF);
            }
        }
        std::fwrite(second.data(), 1, second.size(), out);
    }
    std::fclose(out);
}

void measure(const char *label, uint32_t seconds, uint32_t rate, uint16_t bits, bool compress) {
    test_support::TempDir dir;
    const std::string path = dir.file("long.wav");
    writeLongWav(path, seconds, rate, bits);
    test_support::writeFile(dir.file("ZEBUNA.INI"), "");
    test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"));
    wave::setCompression(compress);
    const double before = cpuSeconds();
    wave::playWaveFile(path);
    const double cpu = cpuSeconds() - before;
    std::printf("%-34s %4u s of audio: CPU %.4f s = %.3f%% of its length, peak RSS %ld KiB\n",
                label, seconds, cpu, 100.0 * cpu / seconds, peakKilobytes());
}

} // namespace

int main() {
    measure("8-bit 11025 Hz", 60, 11025, 8, false);
    measure("16-bit 22050 Hz", 60, 22050, 16, false);
    measure("16-bit 22050 Hz, compression", 60, 22050, 16, true);
    // An hour: the peak stays that of the minute above, the player holding
    // four blocks and one read buffer whatever the length.
    measure("16-bit 22050 Hz, one hour", 3600, 22050, 16, false);
    return 0;
}
