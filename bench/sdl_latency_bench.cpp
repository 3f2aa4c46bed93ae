// How fast the SDL backend's sound starts and stops, measured with SDL's
// dummy audio driver (or the driver named in SDL_AUDIODRIVER):
//   (a) the period of the wave-out callback for the buffer size in use,
//   (b) the time from waveReset (a key cutting the sound) to the first
//       callback that hands out silence,
//   (c) the time from the first platform call to the first callback that
//       plays the first sample of a queued block, and the same for a device
//       already open, reopened with the same format, and opened for a new one.
// It also checks the backend's key and character translation tables and
// that waveReset returns every block it cuts, and fails when a check fails.
#include "platform/platform.h"
#include "platform/sdl/keymap.h"
#include "platform/sdl/sdl_probe.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using sdl_backend::WaveCallbackRecord;
namespace vk = platform::vk;

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double ms(int64_t ns) {
    return static_cast<double>(ns) / 1e6;
}

// ---- translation checks ----

int failures = 0;
int checks = 0;

void expect(bool ok, const std::string &what) {
    ++checks;
    if (!ok) {
        ++failures;
        std::printf("  FAILED: %s\n", what.c_str());
    }
}

struct KeyCase {
    SDL_Keycode key;
    SDL_Scancode position;
    uint16_t modifiers;
    uint8_t virtualKey;
};

void checkVirtualKeys() {
    const KeyCase cases[] = {
        {SDLK_a, SDL_SCANCODE_A, 0, 'A'},
        {SDLK_z, SDL_SCANCODE_Z, KMOD_LSHIFT, 'Z'},
        {SDLK_a, SDL_SCANCODE_Q, 0, 'A'}, // AZERTY: the layout's letter counts
        {0x3b1, SDL_SCANCODE_A, 0, 'A'},  // Greek alpha: position gives the letter
        {SDLK_0, SDL_SCANCODE_0, 0, '0'},
        {SDLK_9, SDL_SCANCODE_9, 0, '9'},
        {SDLK_F1, SDL_SCANCODE_F1, 0, vk::F1},
        {SDLK_F11, SDL_SCANCODE_F11, 0, vk::F11},
        {SDLK_F12, SDL_SCANCODE_F12, 0, vk::F12},
        {SDLK_UP, SDL_SCANCODE_UP, 0, vk::Up},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, 0, vk::Left},
        {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, 0, vk::Prior},
        {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, 0, vk::Next},
        {SDLK_HOME, SDL_SCANCODE_HOME, 0, vk::Home},
        {SDLK_END, SDL_SCANCODE_END, 0, vk::End},
        {SDLK_INSERT, SDL_SCANCODE_INSERT, 0, vk::Insert},
        {SDLK_DELETE, SDL_SCANCODE_DELETE, 0, vk::Delete},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0, vk::Escape},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 0, vk::Return},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0, vk::Return},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 0, vk::Back},
        {SDLK_TAB, SDL_SCANCODE_TAB, 0, vk::Tab},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, 0, vk::Space},
        {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, KMOD_RSHIFT, vk::Shift},
        {SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LCTRL, vk::Control},
        {SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT, vk::Menu},
        {SDLK_PAUSE, SDL_SCANCODE_PAUSE, KMOD_LCTRL, vk::Cancel},
        {SDLK_PAUSE, SDL_SCANCODE_PAUSE, 0, 0x13},
        {SDLK_KP_8, SDL_SCANCODE_KP_8, 0, vk::Up},
        {SDLK_KP_8, SDL_SCANCODE_KP_8, KMOD_NUM, 0x68},
        {SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, 0, vk::Delete},
        {SDLK_KP_0, SDL_SCANCODE_KP_0, 0, vk::Insert},
        {0xE7, SDL_SCANCODE_SEMICOLON, 0, 0xBA}, // the Brazilian c-cedilla key
        {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0, 0},
    };
    for (const KeyCase &c : cases) {
        const uint8_t got = sdl_backend::virtualKeyFromSdl(c.key, c.position, c.modifiers);
        expect(got == c.virtualKey, "key " + std::to_string(c.key) + " gives " +
                                        std::to_string(got) + ", not " +
                                        std::to_string(c.virtualKey));
    }
}

struct CharCase {
    uint8_t virtualKey;
    uint8_t modifiers;
    uint8_t character;
};

void checkControlCharacters() {
    using platform::ModAlt, platform::ModCtrl, platform::ModShift;
    const CharCase cases[] = {
        {vk::Escape, 0, 27},
        {vk::Return, 0, 13},
        {vk::Return, ModCtrl, 10},
        {vk::Back, 0, 8},
        {vk::Back, ModCtrl, 127},
        {vk::Tab, 0, 9},
        {vk::Tab, ModShift, 9},
        {vk::Tab, ModCtrl, 0},
        {'A', ModCtrl, 1},
        {'Z', ModCtrl, 26},
        {'A', 0, 0},
        {'A', ModShift, 0},
        {'A', ModAlt, 0},
        {'A', ModCtrl | ModAlt, 0},
        {vk::Space, 0, 0},
        {vk::Space, ModCtrl, 32},
        {'5', ModCtrl, 0},
        {vk::F1, 0, 0},
    };
    for (const CharCase &c : cases) {
        const uint8_t got = sdl_backend::controlCharForKey(c.virtualKey, c.modifiers);
        expect(got == c.character, "control character of key " + std::to_string(c.virtualKey) +
                                       " with modifiers " + std::to_string(c.modifiers) + " is " +
                                       std::to_string(got));
    }
    expect(sdl_backend::isSystemKey(platform::ModAlt), "Alt makes a system key");
    expect(!sdl_backend::isSystemKey(platform::ModAlt | platform::ModCtrl),
           "Ctrl+Alt is no system key");
    expect(!sdl_backend::isSystemKey(0), "a plain key is no system key");
    expect(sdl_backend::modifiersFromSdl(KMOD_RCTRL | KMOD_LSHIFT | KMOD_RALT | KMOD_NUM) ==
               (platform::ModCtrl | platform::ModShift | platform::ModAlt),
           "modifier bits");
    expect(sdl_backend::modifiersFromSdl(KMOD_MODE) == 0, "AltGr is no modifier");
    expect(sdl_backend::textAllowedWith(KMOD_LSHIFT | KMOD_MODE), "text with Shift and AltGr");
    expect(!sdl_backend::textAllowedWith(KMOD_LCTRL), "no text with Ctrl");
    expect(!sdl_backend::textAllowedWith(KMOD_LALT), "no text with the left Alt");
}

void checkTypedText() {
    const std::pair<std::string, std::string> cases[] = {
        {"abc", "abc"},
        {"\xC3\xA7\xC3\xA3\xC3\xA9", "\xE7\xE3\xE9"},         // c-cedilla, a-tilde, e-acute
        {"\xE2\x82\xAC\xE2\x80\x9C\xC5\x93", "\x80\x93\x9C"}, // euro, left quote, oe
        {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},                     // no-break space, y-diaeresis
        {"a\xE4\xB8\xAD"
         "b",
         "ab"},                   // a CJK character is dropped
        {"\xF0\x9F\x98\x80", ""}, // so is an emoji
        {"\x1B\t\r\x7F", ""},     // control characters come from the key presses
        {"\xC2\x81\xC2\x9D", ""}, // C1 controls have no byte
        {"\xC3", ""},             // a cut sequence
        {" ~", " ~"},
    };
    for (const auto &[utf8, expected] : cases)
        expect(sdl_backend::typedCharacters(utf8) == expected,
               "typed text of " + std::to_string(utf8.size()) + " bytes");
}

// ---- latency ----

std::vector<WaveCallbackRecord> history() {
    std::vector<WaveCallbackRecord> records(64);
    records.resize(sdl_backend::waveCallbackHistory(records.data(), records.size()));
    return records;
}

// The first callback that started at or after `sinceNs` and satisfies the
// test; waits up to two seconds.
template <typename Test> bool waitForCallback(int64_t sinceNs, Test test, WaveCallbackRecord &out) {
    const int64_t deadline = nowNs() + 2'000'000'000;
    while (nowNs() < deadline) {
        for (const WaveCallbackRecord &r : history()) {
            if (r.steadyNs >= sinceNs && test(r)) {
                out = r;
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return false;
}

double periodMs() {
    const sdl_backend::OutputInfo device = sdl_backend::outputInfo();
    return device.rate == 0 ? 0 : 1000.0 * device.frames / device.rate;
}

bool hasSound(const WaveCallbackRecord &r) {
    return r.soundBytes > 0;
}
bool isSilent(const WaveCallbackRecord &r) {
    return r.soundBytes == 0;
}

uint32_t drainWaveDone() {
    uint32_t count = 0;
    platform::Message msg;
    while (platform::peekMessage(msg)) {
        if (msg.kind == platform::Msg::WaveDone)
            ++count;
    }
    return count;
}

std::vector<uint8_t> toneSamples(const platform::WaveFormat &format, uint32_t milliseconds) {
    const size_t frames = size_t{format.rate} * milliseconds / 1000;
    std::vector<uint8_t> samples(frames * format.channels * (format.bits / 8u));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<uint8_t>((i / 8) % 2 != 0 ? 0x60 : 0xA0);
    return samples;
}

// When the first sample of a block queued at `fromNs` went out, in ms
// after `fromNs`; negative when no callback played it.
double firstSampleAfter(int64_t fromNs, const std::vector<uint8_t> &block) {
    platform::waveWrite(1, block.data(), static_cast<uint32_t>(block.size()));
    WaveCallbackRecord first;
    if (!waitForCallback(fromNs, hasSound, first))
        return -1;
    return ms(first.steadyNs - fromNs);
}

struct Spread {
    double sum = 0, shortest = 1e9, longest = 0;
    int count = 0;
    void add(double value) {
        sum += value;
        shortest = std::min(shortest, value);
        longest = std::max(longest, value);
        ++count;
    }
    void print(const char *label) const {
        if (count == 0)
            std::printf("  %-46s no measurement\n", label);
        else
            std::printf("  %-46s mean %6.2f ms, min %6.2f, max %6.2f\n", label, sum / count,
                        shortest, longest);
    }
};

// A later sound: optionally closes the device and opens it for `format`,
// queues a block and measures the time to its first sample. Repeated at
// different points of the callback cycle.
void measureLaterStart(const char *label, const platform::WaveFormat &before,
                       const platform::WaveFormat &format, bool reopen) {
    constexpr int Trials = 10;
    const std::vector<uint8_t> block = toneSamples(format, 200);
    Spread opening, sound;
    for (int trial = 0; trial < Trials; ++trial) {
        platform::waveClose();
        platform::waveOpen(before);
        std::this_thread::sleep_for(std::chrono::microseconds(30000 + trial * 2300));
        const int64_t fromNs = nowNs();
        if (reopen) {
            platform::waveClose();
            platform::waveOpen(format);
            opening.add(ms(nowNs() - fromNs));
        }
        const double latency = firstSampleAfter(fromNs, block);
        if (latency >= 0)
            sound.add(latency);
        platform::waveReset();
        drainWaveDone();
    }
    std::printf("  %s\n", label);
    if (reopen)
        opening.print("waveClose + waveOpen");
    sound.print("to the first sample");
}

void measureCallbackPeriod() {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const std::vector<WaveCallbackRecord> records = history();
    Spread period;
    for (size_t i = 1; i < records.size(); ++i)
        period.add(ms(records[i].steadyNs - records[i - 1].steadyNs));
    const sdl_backend::OutputInfo device = sdl_backend::outputInfo();
    std::printf("  device %u Hz, %u channels, %u frames = %.2f ms of sound per callback\n",
                device.rate, device.channels, device.frames, periodMs());
    period.print("period between callbacks");
}

void measureResetLatency(const platform::WaveFormat &format) {
    const std::vector<uint8_t> block = toneSamples(format, 2000);
    constexpr int Trials = 20;
    Spread latency;
    uint32_t returned = 0;
    for (int trial = 0; trial < Trials; ++trial) {
        const int64_t queuedNs = nowNs();
        platform::waveWrite(10, block.data(), static_cast<uint32_t>(block.size()));
        platform::waveWrite(11, block.data(), static_cast<uint32_t>(block.size()));
        WaveCallbackRecord playing;
        if (!waitForCallback(queuedNs, hasSound, playing))
            continue;
        // Cut at a different point of the callback cycle each time.
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + trial * 1700));
        const int64_t resetNs = nowNs();
        platform::waveReset();
        WaveCallbackRecord silent;
        if (!waitForCallback(resetNs, isSilent, silent))
            continue;
        latency.add(ms(silent.steadyNs - resetNs));
        returned += drainWaveDone();
    }
    latency.print("waveReset to the first silent callback");
    std::printf("  (a sound card adds what it already holds, about one buffer: %.2f ms)\n",
                periodMs());
    expect(returned == 2u * static_cast<uint32_t>(latency.count),
           "every block cut by waveReset is returned: " + std::to_string(returned) + " of " +
               std::to_string(2 * latency.count));
}

} // namespace

int main() {
    const int64_t startNs = nowNs();
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_VIDEODRIVER", "dummy", 0);

    std::printf("Translation checks\n");
    checkVirtualKeys();
    checkControlCharacters();
    checkTypedText();
    std::printf("  %d checks, %d failed\n", checks, failures);

    std::printf("Sound start (audio driver %s)\n", std::getenv("SDL_AUDIODRIVER"));
    const platform::WaveFormat speech{11025, 8, 1};
    const std::vector<uint8_t> tone = toneSamples(speech, 1000);
    const int64_t openNs = nowNs();
    const int32_t opened = platform::waveOpen(speech);
    if (opened != platform::WaveOk) {
        std::printf("  waveOpen failed with %d: no sound device to measure\n", opened);
        return failures == 0 ? 0 : 1;
    }
    std::printf("  %-44s %7.2f ms\n", "first waveOpen (starts SDL audio)", ms(nowNs() - openNs));
    std::printf("  %-44s %7.2f ms\n", "first platform call to first sample",
                firstSampleAfter(openNs, tone));
    std::printf("  (start of main to first sample: %.2f ms)\n",
                ms(history().empty() ? 0 : history().back().steadyNs - startNs));

    std::printf("(a) Callback period\n");
    measureCallbackPeriod();
    platform::waveReset();
    drainWaveDone();

    std::printf("(b) Key to silence\n");
    measureResetLatency(speech);

    std::printf("(c) Sound start on later sounds\n");
    const platform::WaveFormat recording{22050, 16, 1};
    measureLaterStart("block queued on the open device", speech, speech, false);
    measureLaterStart("waveClose and waveOpen again, same format", speech, speech, true);
    measureLaterStart("waveOpen for another format (22050 Hz 16-bit)", speech, recording, true);
    platform::waveClose();
    drainWaveDone();
    std::printf("%d checks, %d failed\n", checks, failures);
    platform::exitProcess(failures == 0 ? 0 : 1);
}
