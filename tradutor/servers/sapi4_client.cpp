#include "tradutor/servers/sapi4_client.h"

#include "console/console.h"
#include "platform/platform.h"
#include "platform/speech_engines.h"
#include "tradutor/speech/wave_player.h"

#include <cctype>
#include <memory>
#include <vector>

namespace servers {
namespace {

using platform::Guid;
using namespace platform::guids;
using platform::HResult;
using platform::SOk;
using platform::succeeded;

constexpr uint32_t CharsetText = 0;
constexpr size_t TextBufferSize = 64000; // NUL included
constexpr uint16_t QueuedTextDelayMs = 20;
constexpr uint16_t BeforeResetMs = 50;
constexpr uint16_t AfterResetMs = 150;

// What the engine's notifications change; read by the busy test.
struct Progress {
    int32_t pendingTexts = 0;
    bool audioActive = false;
    uint32_t lastWordPosition = 0;
};

struct State {
    std::string outputFile;
    std::shared_ptr<platform::Sapi4AudioDest> audio;
    std::unique_ptr<platform::Sapi4Enum> enumerator;
    std::unique_ptr<platform::Sapi4Central> engine;
    std::unique_ptr<platform::Sapi4ModeInfo> mode; // the selected mode's record
    std::shared_ptr<platform::Sapi4BufNotifySink> bufferSink;
    std::shared_ptr<platform::Sapi4NotifySink> engineSink;
    bool sinkRegistered = false;
    uint32_t registrationKey = 0;
    Progress progress;
    int32_t voiceNumber = 0;
    std::vector<char> textBuffer;
};

State state;

class EngineSink final : public platform::Sapi4NotifySink {
public:
    HResult attribChanged(uint32_t) override { return SOk; }
    HResult audioStart(uint64_t) override {
        state.progress.audioActive = true;
        return SOk;
    }
    HResult audioStop(uint64_t) override {
        state.progress.audioActive = false;
        return SOk;
    }
    HResult visual(uint64_t) override { return SOk; }
};

class BufferSink final : public platform::Sapi4BufNotifySink {
public:
    HResult textDataDone(uint64_t, uint32_t) override {
        if (--state.progress.pendingTexts < 0)
            state.progress.pendingTexts = 0;
        return SOk;
    }
    HResult textDataStarted(uint64_t) override {
        ++state.progress.pendingTexts;
        return SOk;
    }
    HResult bookMark(uint64_t, uint32_t) override { return SOk; }
    HResult wordPosition(uint64_t, uint32_t byteOffset) override {
        state.progress.lastWordPosition = byteOffset;
        return SOk;
    }
};

// Engines change the current directory while they load; every start path
// puts it back.
class CurrentDirectoryKept {
public:
    CurrentDirectoryKept() : directory_(platform::currentDirectory()) {}
    ~CurrentDirectoryKept() { platform::setCurrentDirectory(directory_); }
    CurrentDirectoryKept(const CurrentDirectoryKept &) = delete;
    CurrentDirectoryKept &operator=(const CurrentDirectoryKept &) = delete;

private:
    std::string directory_;
};

// Releases everything the start made, in the order of a close.
void releaseAll() {
    state.audio.reset();
    state.enumerator.reset();
    state.bufferSink.reset();
    if (state.sinkRegistered && state.engine)
        state.engine->unRegister(state.registrationKey);
    state.sinkRegistered = false;
    state.engineSink.reset();
    state.engine.reset();
    state.mode.reset();
}

bool failStart() {
    releaseAll();
    return false;
}

// The voice-th mode of the enumerator; false when a call fails. When the
// modes run out the record keeps the last one returned.
bool findMode(int32_t voice, platform::Sapi4ModeInfo &mode) {
    for (int32_t i = 0; i < voice; ++i)
        if (!succeeded(state.enumerator->next(mode)))
            return false;
    return true;
}

bool selectEngine(int32_t voice) {
    platform::Sapi4ModeInfo mode;
    if (!findMode(voice, mode))
        return false;
    state.mode = std::make_unique<platform::Sapi4ModeInfo>(mode);
    return succeeded(state.enumerator->select(state.mode->modeId, state.engine, state.audio)) &&
           state.engine;
}

bool registerEngineSink() {
    state.bufferSink = std::make_shared<BufferSink>();
    state.engineSink = std::make_shared<EngineSink>();
    state.sinkRegistered = succeeded(state.engine->registerSink(
        state.engineSink, TTSNotifySinkInterface, state.registrationKey));
    return state.sinkRegistered;
}

// Speed and pitch 0 keep the engine's own; so does a negative speed, which
// as the engine's unsigned words per minute would ask for its fastest.
void applyAttributes(int32_t speed, int32_t pitch) {
    std::unique_ptr<platform::Sapi4Attributes> attributes;
    if (!succeeded(state.engine->queryAttributes(TTSAttributesInterface, attributes)) ||
        !attributes)
        return;
    if (speed > 0)
        attributes->speedSet(static_cast<uint32_t>(speed));
    if (pitch != 0)
        attributes->pitchSet(static_cast<uint16_t>(pitch));
}

std::string trimmedBlanks(const std::string &text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t first = 0, last = text.size();
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

} // namespace

bool sapi4Start(int32_t voice, int32_t speed, int32_t pitch, const std::string &outputFile) {
    releaseAll();
    state.progress = Progress{};
    state.outputFile = outputFile;
    if (voice == 0)
        voice = 1;
    if (voice < 0)
        return false;
    const CurrentDirectoryKept directory;
    if (!succeeded(platform::createSapi4AudioDest(MMAudioDestClass, platform::ClsctxServers,
                                                  AudioMultiMediaDeviceInterface, state.audio)) ||
        !state.audio)
        return failStart();
    if (!succeeded(platform::createSapi4Enumerator(TTSEnumeratorClass, platform::ClsctxServers,
                                                   TTSEnumInterface, state.enumerator)) ||
        !state.enumerator)
        return failStart();
    state.enumerator->reset();
    if (!selectEngine(voice) || !registerEngineSink())
        return failStart();
    state.voiceNumber = voice;
    applyAttributes(speed, pitch);
    return true;
}

bool sapi4Speak(const std::string &input) {
    std::string text = trimmedBlanks(input);
    if (text.empty())
        return true;
    if (text.size() == 1 && std::isdigit(static_cast<unsigned char>(text[0])))
        text += '.';
    if (!state.engine || (wave::interruptByKey() && console::keyPressed()))
        return true;
    if (text.size() >= TextBufferSize)
        text.resize(TextBufferSize - 1); // what fits the buffer with its NUL
    state.textBuffer.assign(text.begin(), text.end());
    state.textBuffer.push_back('\0');
    if (state.progress.pendingTexts > 0)
        console::delayMs(QueuedTextDelayMs);
    if (succeeded(state.engine->textData(CharsetText, 0, state.textBuffer.data(),
                                         static_cast<uint32_t>(state.textBuffer.size()),
                                         state.bufferSink, TTSBufNotifySinkInterface)))
        return true;
    sapi4Stop();
    return !platform::engineServerLost();
}

bool sapi4Busy(Busy test) {
    const Progress &p = state.progress;
    return test == Busy::Queued ? p.pendingTexts > 0 : p.pendingTexts > 0 || p.audioActive;
}

void sapi4Stop() {
    if (state.progress.audioActive && state.engine) {
        console::delayMs(BeforeResetMs);
        state.engine->audioReset(); // a failure changes nothing here
        console::delayMs(AfterResetMs);
    }
    state.progress.audioActive = false;
    state.progress.pendingTexts = 0;
}

std::vector<ServerVoice> sapi4Modes() {
    std::vector<ServerVoice> out;
    std::unique_ptr<platform::Sapi4Enum> enumerator;
    if (!succeeded(platform::createSapi4Enumerator(TTSEnumeratorClass, platform::ClsctxServers,
                                                   TTSEnumInterface, enumerator)) ||
        !enumerator)
        return out;
    enumerator->reset();
    platform::Sapi4ModeInfo mode;
    while (enumerator->next(mode) == SOk)
        out.push_back({mode.modeName, mode.dialect});
    return out;
}

void sapi4Close() {
    releaseAll();
}

} // namespace servers
