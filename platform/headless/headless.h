// Control of the headless backend: a virtual clock, scripted keys and a
// recorded transcript. Used by the headless driver program and the tests.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace headless {

// Thrown by platform::exitProcess on this backend, so that a driver or a
// test can observe the end of the program. Catch it where the program's
// entry would have returned to the system.
struct ProcessExit {
    int32_t code;
};

// Back to a fresh machine: clock at 0, no window, no queued messages, no
// script, empty transcript. Keeps the drive root and configuration file.
void reset();

// Key scripts. Each key is typed (key down, character, key up) the next time
// the program waits for a message with nothing else to come, unless it is
// preceded by {AT ms}, which types it when the virtual clock reaches ms.
// Plain characters (UTF-8, converted to Windows-1252) stand for themselves;
// named keys: {ESC} {ENTER} {SPACE} {TAB} {BACKSPACE} {F1}..{F12} {UP} {DOWN}
// {LEFT} {RIGHT} {HOME} {END} {PGUP} {PGDN} {INSERT} {DELETE}, with the
// prefixes CTRL+, ALT+, SHIFT+ in any combination, e.g. {ALT+X},
// {CTRL+ALT+F11}, {SHIFT+INSERT}; {KEYDOWN x} and {KEYUP x} press or release
// one key alone (for Braille chords). A key preceded by {SPEAKING} is typed
// when a speech engine next reports that it began to speak; the keys after
// it wait for it. Returns false with a message on error.
bool setKeyScript(const std::string &script, std::string &error);
bool keyScriptExhausted();

// When the script is exhausted and the program waits with nothing to come,
// the backend closes the window (as the user would). Off: the wait throws
// ProcessExit with code -1 instead, for tests that must not block.
void setCloseWhenScriptEnds(bool on);

uint64_t nowMs();

// Puts `message` in the queue when the virtual clock reaches `atMs` (a
// scripted device or engine reporting back later).
void postMessageAt(uint64_t atMs, const platform::Message &message);

// Faults of the wave device, for tests of a sound card that is missing,
// busy or failing: a non-zero code is the result waveOpen, waveWrite or
// waveUnprepare gives instead of success. The first `failingOpens` opens
// fail (0: every one). Cleared by reset().
struct WaveFaults {
    int32_t open = 0;
    uint32_t failingOpens = 0;
    int32_t write = 0;
    int32_t unprepare = 0;
};
void setWaveFaults(const WaveFaults &faults);

// Seeds the clock's time of day so that a program seeding itself from the
// clock gets exactly this value (((h * 60 + m) * 60 + s) * 1000 + ms).
void setTimeOfDaySeed(uint32_t value);

// Transcript of what the program did, in order.
struct Event {
    enum class Kind { Text, Sound, Tone, Title, Exit, Picture, MessageBox, Beep, Engine } kind;
    std::string text;   // Text: the bytes written; Sound: the file name or "image"; Title;
                        // Engine: what a speech engine did
    uint32_t value = 0; // Sound: duration in ms; Tone: Hz; Exit: code
    bool cut = false;   // Sound: a key stopped it
    int32_t column = 0, row = 0;
    uint8_t attr = 0;
};
const std::vector<Event> &transcript();
// The transcript as UTF-8 lines: "text <escaped>", "sound <name> <ms>[ cut]",
// "tone <hz>", "title <text>", "exit <code>", "picture <size> at <x>,<y>",
// "messagebox <caption>: <text>" (a message box is recorded and closed at once),
// "beep", "engine <what a speech engine did>".
std::string transcriptText();

// Audio capture, off after reset(): while on, the bytes of every block
// written to the wave device are kept, one entry per block, in order.
void setAudioCapture(bool on);
const std::vector<std::vector<uint8_t>> &capturedAudio();

// The same blocks with the device's format and the virtual time at which
// each starts to sound, so that what was heard can be laid out in time.
struct TimedBlock {
    uint64_t startUs = 0;
    platform::WaveFormat format;
    std::vector<uint8_t> bytes;
};
const std::vector<TimedBlock> &capturedTimedAudio();

// Hands every block written to the wave device to `sink` as it is written,
// instead of keeping it, so that a sound of any length costs one block of
// memory. An empty sink ends it; reset() too.
using AudioSink = std::function<void(const TimedBlock &)>;
void setAudioSink(AudioSink sink);

} // namespace headless
