// The headless backend: no window, no sound card. Time is virtual, keys come
// from a script and everything the program shows or plays is recorded.
#include "platform/headless/headless.h"
#include "platform/headless/key_script.h"
#include "platform/platform.h"
#include "platform/speech_engines.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <utility>
#include <mutex>
#include <thread>

namespace {

using platform::Message;
using platform::Msg;

struct TimedMessage {
    uint64_t atUs;
    uint64_t order;
    Message message;
};

struct Sound {
    size_t event = 0;      // index of its transcript entry
    uint64_t startUs = 0;  // when its first block starts to sound
    uint64_t queuedUs = 0; // length of the blocks written for it
};

struct State {
    uint64_t clockUs = 0;
    uint64_t order = 0;
    platform::WindowProc proc = nullptr;
    bool windowExists = false;
    bool procDetached = false;
    bool paintPending = false;
    bool closeSent = false;
    bool closeWhenScriptEnds = true;
    std::deque<Message> queue;
    std::vector<TimedMessage> timeline; // kept sorted by (atUs, order)
    std::deque<headless::ScriptedKey> waitingKeys;
    bool deviceOpen = false;
    platform::WaveFormat format;
    uint64_t audioEndUs = 0;
    bool hasSound = false;
    Sound sound;
    bool timeSeeded = false;
    uint32_t timeSeed = 0;
    std::vector<headless::Event> events;
    bool captureAudio = false;
    std::vector<std::vector<uint8_t>> capturedBlocks;
    std::vector<headless::TimedBlock> timedBlocks;
    headless::AudioSink audioSink;
    headless::WaveFaults waveFaults;
    uint32_t failedOpens = 0;
};

State state;

// Messages posted by other threads (a speech engine's), kept apart from the
// main thread's queue and moved into it at the next look.
struct Inbox {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Message> messages;
    std::thread::id mainThread = std::this_thread::get_id();
};

Inbox inbox;

void takeInbox() {
    std::lock_guard lock(inbox.mutex);
    while (!inbox.messages.empty()) {
        state.queue.push_back(inbox.messages.front());
        inbox.messages.pop_front();
    }
}

// How long one blocking look for another thread's message lasts; the caller
// looks again while an engine still awaits notifications.
constexpr uint32_t InboxWaitSliceMs = 100;
constexpr auto InboxWaitSlice = std::chrono::milliseconds(InboxWaitSliceMs);

void waitForInbox() {
    std::unique_lock lock(inbox.mutex);
    inbox.arrived.wait_for(lock, InboxWaitSlice, [] { return !inbox.messages.empty(); });
}

void schedule(uint64_t atUs, const Message &message) {
    TimedMessage timed{atUs, state.order++, message};
    const auto later = std::upper_bound(
        state.timeline.begin(), state.timeline.end(), timed, [](const auto &a, const auto &b) {
            return a.atUs != b.atUs ? a.atUs < b.atUs : a.order < b.order;
        });
    state.timeline.insert(later, timed);
}

// Moves every timed message due at or before `untilUs` into the queue.
void releaseDue(uint64_t untilUs) {
    while (!state.timeline.empty() && state.timeline.front().atUs <= untilUs) {
        state.queue.push_back(state.timeline.front().message);
        state.timeline.erase(state.timeline.begin());
    }
}

void typeKey(const headless::ScriptedKey &key) {
    for (const auto &m : key.messages)
        state.queue.push_back(m);
}

bool anythingToCome() {
    return !state.queue.empty() || (state.paintPending && state.windowExists);
}

uint32_t usToMs(uint64_t us) {
    return static_cast<uint32_t>((us + 500) / 1000);
}

void finishSoundAt(uint64_t endUs, bool cut) {
    if (!state.hasSound)
        return;
    auto &event = state.events[state.sound.event];
    const uint64_t played = cut ? (endUs > state.sound.startUs ? endUs - state.sound.startUs : 0)
                                : state.sound.queuedUs;
    event.value = usToMs(std::min(played, state.sound.queuedUs));
    event.cut = cut;
    state.hasSound = cut ? false : state.hasSound;
}

uint64_t blockDurationUs(uint32_t length) {
    const uint64_t frameBytes =
        std::max<uint64_t>(1, uint64_t{state.format.channels} * (state.format.bits / 8u));
    const uint64_t frames = length / frameBytes;
    return state.format.rate ? frames * 1000000 / state.format.rate : 0;
}

} // namespace

namespace platform {

void registerWindowProc(WindowProc proc) {
    state.proc = proc;
}

SystemMetrics systemMetrics() {
    return SystemMetrics{};
}

FontMetrics createFont(const std::string &, int32_t height, int32_t width, int32_t) {
    FontMetrics metrics;
    metrics.height = height > 0 ? height : 16;
    metrics.aveCharWidth = width > 0 ? width : 8;
    metrics.ascent = metrics.height * 3 / 4;
    return metrics;
}

void deleteFont() {}

bool createWindow(const std::string &title, int32_t, int32_t, bool) {
    state.windowExists = true;
    state.procDetached = false;
    setWindowTitle(title);
    Message create;
    create.kind = Msg::Create;
    dispatchMessage(create);
    Message focus;
    focus.kind = Msg::SetFocus;
    state.queue.push_back(focus);
    return true;
}

void destroyWindow() {
    if (!state.windowExists)
        return;
    if (!state.procDetached) {
        Message destroy;
        destroy.kind = Msg::Destroy;
        dispatchMessage(destroy);
    }
    state.windowExists = false;
}

void detachWindowProc() {
    state.procDetached = true;
}
bool windowExists() {
    return state.windowExists;
}
bool windowIsActive() {
    return state.windowExists;
}
Rect windowRect() {
    return Rect{0, 0, 1024, 734};
}

void setWindowTitle(const std::string &title) {
    headless::Event event{headless::Event::Kind::Title, title};
    state.events.push_back(event);
}

void beginDraw() {}
void endDraw() {}
void drawText(int32_t, int32_t, const uint8_t *, size_t, Rgb, Rgb) {}
void fillRect(const Rect &, Rgb) {}
void scrollUp(const Rect &, int32_t) {}
void invalidateAll(bool) {
    state.paintPending = true;
}

void updateWindow() {
    if (!state.paintPending || !state.windowExists)
        return;
    state.paintPending = false;
    Message paint;
    paint.kind = Msg::Paint;
    paint.paint = Rect{0, 0, 1 << 20, 1 << 20};
    dispatchMessage(paint);
}

void drawImage(int32_t x, int32_t y, int32_t width, int32_t height, const uint32_t *) {
    headless::Event event{headless::Event::Kind::Picture,
                          std::to_string(width) + "x" + std::to_string(height) + " at " +
                              std::to_string(x) + "," + std::to_string(y)};
    state.events.push_back(event);
}

void messageBox(const std::string &text, const std::string &caption) {
    state.events.push_back({headless::Event::Kind::MessageBox, caption + ": " + text});
}

void messageBeep() {
    state.events.push_back({headless::Event::Kind::Beep, ""});
}

bool takeSnapshot() {
    return state.windowExists;
}
void stretchSnapshot(const Rect &, const Rect &) {}
void releaseSnapshot() {}

void createCaret(int32_t, int32_t) {}
void setCaretPos(int32_t, int32_t) {}
void showCaret() {}
void destroyCaret() {}

bool peekMessage(Message &out) {
    pumpEngineQueue(0);
    takeInbox();
    releaseDue(state.clockUs);
    if (!state.queue.empty()) {
        out = state.queue.front();
        state.queue.pop_front();
        return true;
    }
    if (state.paintPending && state.windowExists) {
        state.paintPending = false;
        out = Message{};
        out.kind = Msg::Paint;
        out.paint = Rect{0, 0, 1 << 20, 1 << 20};
        return true;
    }
    return false;
}

void dispatchMessage(const Message &msg) {
    if (state.proc && !state.procDetached && state.proc(msg))
        return;
    if (msg.kind == Msg::User && msg.code == EngineNotifyMessage)
        serveEngineNotifications();
    // The default procedure: Alt+F4 asks the window to close.
    if (msg.kind == Msg::SysKeyDown && msg.code == vk::F1 + 3) {
        Message close;
        close.kind = Msg::Close;
        state.queue.push_back(close);
    }
}

void waitMessage() {
    takeInbox();
    releaseDue(state.clockUs);
    if (anythingToCome())
        return;
    // A real engine speaks in real time: its notifications are still to come,
    // from another thread or through the host's own message queue.
    while (engineNotificationsAwaited()) {
        if (pumpEngineQueue(InboxWaitSliceMs))
            return; // what came was served there: the caller looks again
        waitForInbox();
        takeInbox();
        if (anythingToCome())
            return;
    }
    if (!state.timeline.empty()) {
        state.clockUs = std::max(state.clockUs, state.timeline.front().atUs);
        releaseDue(state.clockUs);
        return;
    }
    if (!state.waitingKeys.empty() && !state.waitingKeys.front().whenSpeaking) {
        typeKey(state.waitingKeys.front());
        state.waitingKeys.pop_front();
        return;
    }
    if (!state.closeWhenScriptEnds || state.closeSent)
        throw headless::ProcessExit{-1};
    state.closeSent = true;
    Message close;
    close.kind = Msg::Close;
    state.queue.push_back(close);
}

void postMessage(const Message &msg) {
    if (std::this_thread::get_id() == inbox.mainThread) {
        state.queue.push_back(msg);
        return;
    }
    std::lock_guard lock(inbox.mutex);
    inbox.messages.push_back(msg);
    inbox.arrived.notify_one();
}

void postQuitMessage(int32_t exitCode) {
    Message quit;
    quit.kind = Msg::Quit;
    quit.code = static_cast<uint32_t>(exitCode);
    state.queue.push_back(quit);
}

void exitProcess(int32_t code) {
    headless::Event event{headless::Event::Kind::Exit, ""};
    event.value = static_cast<uint32_t>(code);
    state.events.push_back(event);
    throw headless::ProcessExit{code};
}

void sleepMs(uint32_t ms) {
    state.clockUs += uint64_t{ms} * 1000;
    releaseDue(state.clockUs);
}

uint64_t tickMs() {
    return state.clockUs / 1000;
}

TimeOfDay utcTimeOfDay() {
    const uint64_t ms = state.timeSeeded ? state.timeSeed : 12 * 3600000ull + state.clockUs / 1000;
    TimeOfDay t;
    t.hour = static_cast<int32_t>(ms / 3600000 % 24);
    t.minute = static_cast<int32_t>(ms / 60000 % 60);
    t.second = static_cast<int32_t>(ms / 1000 % 60);
    t.millisecond = static_cast<int32_t>(ms % 1000);
    return t;
}

int32_t waveOpen(const WaveFormat &format) {
    const headless::WaveFaults &faults = state.waveFaults;
    if (faults.open != WaveOk &&
        (faults.failingOpens == 0 || state.failedOpens < faults.failingOpens)) {
        ++state.failedOpens;
        return faults.open;
    }
    state.deviceOpen = true;
    state.format = format;
    state.audioEndUs = state.clockUs;
    return WaveOk;
}

int32_t waveWrite(uint32_t blockId, const uint8_t *data, uint32_t length) {
    if (!state.deviceOpen)
        return WaveInvalidHandle;
    if (state.waveFaults.write != WaveOk)
        return state.waveFaults.write;
    const uint64_t startUs = std::max(state.clockUs, state.audioEndUs);
    if (state.audioSink) {
        state.audioSink({startUs, state.format, {data, data + length}});
    } else if (state.captureAudio) {
        state.capturedBlocks.emplace_back(data, data + length);
        state.timedBlocks.push_back({startUs, state.format, {data, data + length}});
    }
    const uint64_t durationUs = blockDurationUs(length);
    if (state.hasSound) {
        if (state.sound.queuedUs == 0)
            state.sound.startUs = startUs;
        state.sound.queuedUs += durationUs;
        state.events[state.sound.event].value = usToMs(state.sound.queuedUs);
    }
    state.audioEndUs = startUs + durationUs;
    Message done;
    done.kind = Msg::WaveDone;
    done.code = blockId;
    schedule(state.audioEndUs, done);
    return WaveOk;
}

int32_t waveUnprepare(uint32_t) {
    return state.waveFaults.unprepare;
}

void waveReset() {
    const bool sounding = state.audioEndUs > state.clockUs;
    auto pending =
        std::stable_partition(state.timeline.begin(), state.timeline.end(),
                              [](const auto &t) { return t.message.kind != Msg::WaveDone; });
    for (auto it = pending; it != state.timeline.end(); ++it)
        state.queue.push_back(it->message);
    state.timeline.erase(pending, state.timeline.end());
    if (sounding)
        finishSoundAt(state.clockUs, true);
    state.audioEndUs = state.clockUs;
}

void waveClose() {
    if (state.audioEndUs > state.clockUs)
        waveReset();
    state.deviceOpen = false;
}

void playLoopingSound(const uint8_t *, size_t) {}
void stopLoopingSound() {}

namespace trace {

void text(const uint8_t *bytes, size_t count, int32_t column, int32_t row, uint8_t attr) {
    headless::Event event{headless::Event::Kind::Text,
                          std::string(reinterpret_cast<const char *>(bytes), count)};
    event.column = column;
    event.row = row;
    event.attr = attr;
    state.events.push_back(event);
}

void soundStart(const std::string &name) {
    state.events.push_back(headless::Event{headless::Event::Kind::Sound, name});
    state.hasSound = true;
    state.sound = Sound{state.events.size() - 1, 0, 0};
}

void tone(uint32_t hz) {
    headless::Event event{headless::Event::Kind::Tone, ""};
    event.value = hz;
    state.events.push_back(event);
}

// A key scripted to come while an engine speaks is typed at its begin.
void engine(const std::string &what) {
    state.events.push_back({headless::Event::Kind::Engine, what});
    if (what == "begin" && !state.waitingKeys.empty() && state.waitingKeys.front().whenSpeaking) {
        typeKey(state.waitingKeys.front());
        state.waitingKeys.pop_front();
    }
}

} // namespace trace

} // namespace platform

namespace headless {

void reset() {
    const bool closeWhenScriptEnds = state.closeWhenScriptEnds;
    state = State{};
    state.closeWhenScriptEnds = closeWhenScriptEnds;
    std::lock_guard lock(inbox.mutex);
    inbox.messages.clear();
    inbox.mainThread = std::this_thread::get_id();
}

bool setKeyScript(const std::string &script, std::string &error) {
    std::vector<ScriptedKey> keys;
    if (!parseKeyScript(script, keys, error))
        return false;
    state.waitingKeys.clear();
    for (auto &key : keys) {
        if (!key.timed) {
            state.waitingKeys.push_back(std::move(key));
            continue;
        }
        for (const auto &m : key.messages)
            schedule(key.atMs * 1000, m);
    }
    return true;
}

bool keyScriptExhausted() {
    return state.waitingKeys.empty();
}
void setCloseWhenScriptEnds(bool on) {
    state.closeWhenScriptEnds = on;
}
void setWaveFaults(const WaveFaults &faults) {
    state.waveFaults = faults;
    state.failedOpens = 0;
}
uint64_t nowMs() {
    return state.clockUs / 1000;
}

void postMessageAt(uint64_t atMs, const platform::Message &message) {
    schedule(atMs * 1000, message);
}

void setTimeOfDaySeed(uint32_t value) {
    state.timeSeeded = true;
    state.timeSeed = value % 86400000u;
}

const std::vector<Event> &transcript() {
    return state.events;
}

void setAudioCapture(bool on) {
    state.captureAudio = on;
}

const std::vector<std::vector<uint8_t>> &capturedAudio() {
    return state.capturedBlocks;
}

const std::vector<TimedBlock> &capturedTimedAudio() {
    return state.timedBlocks;
}

void setAudioSink(AudioSink sink) {
    state.audioSink = std::move(sink);
}

} // namespace headless
