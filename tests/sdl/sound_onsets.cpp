// Reads what a sound server's monitor records (raw signed 16-bit mono
// samples on the standard input, as `parec --raw --format=s16le
// --channels=1` writes them) and prints, one line each, when sound starts
// and when it stops, in wall-clock nanoseconds (the clock of `date +%s%N`):
//
//   sound T   the first audible sample after a silence (or the start)
//   quiet T   the first sample of a silence that lasted GAP_MS
//
// A sample's time is the moment its chunk was read, less the samples that
// follow it in the chunk: what the recorder still held back makes every
// time a little late, never early, so a key's delay to a sound is never
// under-measured.
//
// Usage: sound-onsets RATE [THRESHOLD [GAP_MS]]
//   THRESHOLD: the smallest audible magnitude (default 328, -40 dBFS)
//   GAP_MS:    how long a silence must last to count (default 50)
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

int64_t wallNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

struct Detector {
    int64_t rate;
    int threshold;
    int64_t gapSamples;
    bool sounding = false;
    bool started = false;
    int64_t silentRun = 0; // samples since the last audible one
    int64_t silenceStartNs = 0;

    void sample(int value, int64_t timeNs) {
        const bool audible = value >= threshold || value <= -threshold;
        if (audible) {
            if (!sounding) {
                std::printf("sound %lld\n", static_cast<long long>(timeNs));
                sounding = true;
            }
            silentRun = 0;
            started = true;
            return;
        }
        if (silentRun == 0)
            silenceStartNs = timeNs;
        ++silentRun;
        if (sounding && silentRun == gapSamples) {
            std::printf("quiet %lld\n", static_cast<long long>(silenceStartNs));
            sounding = false;
        }
    }
};

} // namespace

int main(int argc, char **argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: %s RATE [THRESHOLD [GAP_MS]]\n", argv[0]);
        return 2;
    }
    Detector detector;
    detector.rate = std::atoll(argv[1]);
    detector.threshold = argc > 2 ? std::atoi(argv[2]) : 328;
    const int64_t gapMs = argc > 3 ? std::atoll(argv[3]) : 50;
    if (detector.rate <= 0 || detector.threshold <= 0 || gapMs <= 0) {
        std::fprintf(stderr, "%s: bad RATE, THRESHOLD or GAP_MS\n", argv[0]);
        return 2;
    }
    detector.gapSamples = detector.rate * gapMs / 1000;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    std::array<uint8_t, 16384> buffer;
    size_t kept = 0; // an odd byte waiting for its pair
    for (;;) {
        const ssize_t got = read(0, buffer.data() + kept, buffer.size() - kept);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        const int64_t readNs = wallNowNs();
        const size_t bytes = kept + static_cast<size_t>(got);
        const size_t samples = bytes / 2;
        for (size_t i = 0; i < samples; ++i) {
            const auto value =
                static_cast<int16_t>(buffer[2 * i] | static_cast<uint16_t>(buffer[2 * i + 1] << 8));
            const auto after = static_cast<int64_t>(samples - 1 - i);
            detector.sample(value, readNs - after * 1'000'000'000 / detector.rate);
        }
        kept = bytes % 2;
        if (kept != 0)
            buffer[0] = buffer[bytes - 1];
    }
    return 0;
}
