// The scripted speech engines: texts sound one after another per engine
// object, for a time set by the script, on the virtual clock. Notifications
// wait in a list until the clock reaches them; the backend's pump (the
// EngineNotifyMessage posted for each) and the completion event's wait
// deliver them.
#include "platform/headless/scripted_engines.h"

#include "platform/headless/headless.h"
#include "platform/platform.h"

#include <algorithm>
#include <functional>
#include <map>

namespace {

using namespace platform;
using headless::EngineScript;

struct Note {
    uint64_t atMs = 0;
    uint64_t order = 0;
    uint32_t owner = 0; // the engine object it belongs to
    std::function<void()> deliver;
};

struct Text {
    uint64_t id = 0;
    uint32_t owner = 0;
    uint64_t endMs = 0;
};

struct Engines {
    EngineScript script;
    std::vector<std::string> calls;
    std::vector<Note> notes; // sorted by (atMs, order)
    std::vector<Text> texts; // queued and not finished
    uint64_t order = 0;
    uint32_t nextOwner = 1;
    uint64_t nextText = 1;
    int32_t nextCalls = 0;
};

Engines engines;

void log(const std::string &call) {
    engines.calls.push_back(call);
}

HResult logged(const std::string &call, HResult result) {
    log(call + (succeeded(result) ? "" : " failed"));
    return result;
}

void notify(uint64_t atMs, uint32_t owner, std::function<void()> deliver) {
    Note note{atMs, engines.order++, owner, std::move(deliver)};
    const auto later = std::upper_bound(
        engines.notes.begin(), engines.notes.end(), note, [](const Note &a, const Note &b) {
            return a.atMs != b.atMs ? a.atMs < b.atMs : a.order < b.order;
        });
    engines.notes.insert(later, std::move(note));
    Message wake;
    wake.kind = Msg::User;
    wake.code = EngineNotifyMessage;
    headless::postMessageAt(atMs, wake);
}

void serveDue() {
    while (!engines.notes.empty() && engines.notes.front().atMs <= tickMs()) {
        const Note note = std::move(engines.notes.front());
        engines.notes.erase(engines.notes.begin());
        note.deliver();
    }
}

void finishText(uint64_t id) {
    std::erase_if(engines.texts, [id](const Text &t) { return t.id == id; });
}

bool ownerSounding(uint32_t owner) {
    return std::any_of(engines.texts.begin(), engines.texts.end(),
                       [owner](const Text &t) { return t.owner == owner; });
}

uint64_t ownerEndMs(uint32_t owner) {
    uint64_t end = tickMs();
    for (const Text &t : engines.texts)
        if (t.owner == owner)
            end = std::max(end, t.endMs);
    return end;
}

// Drops what `owner` still had queued; its notifications are not delivered.
void dropOwner(uint32_t owner) {
    std::erase_if(engines.notes, [owner](const Note &n) { return n.owner == owner; });
    std::erase_if(engines.texts, [owner](const Text &t) { return t.owner == owner; });
}

// When one text of `length` characters queued now begins and ends.
struct Timing {
    uint64_t id, beginMs, endMs;
};

// The text counts as sounding for `tailMs` after its end.
Timing queueText(uint32_t owner, size_t length, uint32_t tailMs = 0) {
    const uint64_t begin = ownerEndMs(owner) + engines.script.beginAfterMs;
    const uint64_t end = begin + std::max<uint64_t>(1, length * engines.script.msPerCharacter);
    const Timing timing{engines.nextText++, begin, end};
    engines.texts.push_back({timing.id, owner, end + tailMs});
    return timing;
}

std::string narrow(const std::u16string &text) {
    std::string out;
    for (const char16_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

// ---- SAPI 5 ---------------------------------------------------------------

class Token final : public Sapi5Token {
public:
    explicit Token(size_t voiceIndex) : index(voiceIndex) {}
    HResult getDescription(std::string &description) const override {
        if (index >= engines.script.voices.size())
            return EFail;
        description = engines.script.voices[index].name;
        return SOk;
    }
    HResult getAttribute(const std::string &name, std::string &value) const override {
        if (name != "Language" || index >= engines.script.voices.size())
            return EInvalidArg;
        value = engines.script.voices[index].language;
        return SOk;
    }
    size_t index;
};

class Tokens final : public Sapi5Tokens {
public:
    HResult count(int32_t &count) override {
        count = static_cast<int32_t>(engines.script.voices.size());
        log("tokens.count " + std::to_string(count));
        return SOk;
    }
    HResult item(int32_t index, std::unique_ptr<Sapi5Token> &token) override {
        if (index < 0 || static_cast<size_t>(index) >= engines.script.voices.size())
            return logged("tokens.item " + std::to_string(index), EInvalidArg);
        token = std::make_unique<Token>(static_cast<size_t>(index));
        return logged("tokens.item " + std::to_string(index), SOk);
    }
};

class Voice5;

class CompleteEvent final : public EngineEvent {
public:
    explicit CompleteEvent(uint32_t owner) : owner_(owner) {}
    uint32_t wait(uint32_t ms) override {
        serveDue();
        if (ownerSounding(owner_)) {
            sleepMs(static_cast<uint32_t>(std::min<uint64_t>(ms, ownerEndMs(owner_) - tickMs())));
            serveDue();
        }
        const bool set = !ownerSounding(owner_);
        log("wait " + std::to_string(ms) + (set ? " set" : " timeout"));
        return set ? WaitObject0 : WaitTimeout;
    }

private:
    uint32_t owner_;
};

class Voice5 final : public Sapi5Voice {
public:
    Voice5() : owner_(engines.nextOwner++), event_(owner_) {}
    ~Voice5() override {
        dropOwner(owner_);
        log("voice.release");
    }
    HResult putEventInterests(int32_t interests) override {
        return logged("voice.eventInterests " + std::to_string(interests), SOk);
    }
    HResult getVoices(const std::string &required, const std::string &optional,
                      std::unique_ptr<Sapi5Tokens> &tokens) override {
        const HResult result = engines.script.getVoices;
        if (succeeded(result))
            tokens = std::make_unique<Tokens>();
        return logged("voice.getVoices \"" + required + "\" \"" + optional + "\"", result);
    }
    HResult putVoice(const Sapi5Token &token) override {
        std::string name;
        token.getDescription(name);
        return logged("voice.voice " + name, engines.script.putVoice);
    }
    HResult putRate(int32_t rate) override {
        return logged("voice.rate " + std::to_string(rate), engines.script.putRate);
    }
    HResult speak(const std::u16string &text, int32_t flags) override {
        const HResult result = engines.script.speak;
        logged("voice.speak " + std::to_string(flags) + " " + narrow(text), result);
        if (!succeeded(result))
            return result;
        if (flags & PurgeBeforeSpeak) {
            if (ownerSounding(owner_))
                trace::engine("cancel");
            dropOwner(owner_);
        }
        trace::engine("speak " + narrow(text));
        const Timing timing = queueText(owner_, text.size());
        notify(timing.beginMs, owner_, [] { trace::engine("begin"); });
        notify(timing.endMs, owner_, [id = timing.id] {
            finishText(id);
            trace::engine("end");
        });
        if (!(flags & Async))
            while (ownerSounding(owner_)) {
                sleepMs(static_cast<uint32_t>(ownerEndMs(owner_) - tickMs()));
                serveDue();
            }
        return SOk;
    }
    HResult speakCompleteEvent(EngineEvent *&event) override {
        event = &event_;
        return logged("voice.speakCompleteEvent", engines.script.completeEvent);
    }

private:
    static constexpr int32_t Async = 1, PurgeBeforeSpeak = 2;
    uint32_t owner_;
    CompleteEvent event_;
};

// ---- SAPI 4 ---------------------------------------------------------------

class AudioDest final : public Sapi4AudioDest {
public:
    ~AudioDest() override { log("audio.release"); }
};

class Attributes final : public Sapi4Attributes {
public:
    ~Attributes() override { log("attributes.release"); }
    HResult speedSet(uint32_t speed) override {
        return logged("attributes.speed " + std::to_string(speed), engines.script.speedSet);
    }
    HResult pitchSet(uint16_t pitch) override {
        return logged("attributes.pitch " + std::to_string(pitch), engines.script.pitchSet);
    }
};

Guid modeIdOf(size_t index) {
    return Guid{static_cast<uint32_t>(index + 1), 0x5C21, 0x4E11, {1, 2, 3, 4, 5, 6, 7, 8}};
}

class Central final : public Sapi4Central {
public:
    Central(std::string modeName, std::shared_ptr<Sapi4AudioDest> audio)
        : owner_(engines.nextOwner++), modeName_(std::move(modeName)), audio_(std::move(audio)) {}
    ~Central() override {
        dropOwner(owner_);
        log("central.release");
    }
    HResult registerSink(std::shared_ptr<Sapi4NotifySink> sink, const Guid &sinkInterface,
                         uint32_t &key) override {
        const HResult result = engines.script.registerSink;
        if (succeeded(result)) {
            key = nextKey_++;
            sinks_[key] = std::move(sink);
        }
        return logged("central.register " + guidText(sinkInterface), result);
    }
    HResult unRegister(uint32_t key) override {
        const bool known = sinks_.erase(key) > 0;
        return logged("central.unregister " + std::to_string(key), known ? SOk : EInvalidArg);
    }
    HResult textData(uint32_t charset, uint32_t flags, const char *data, uint32_t size,
                     std::shared_ptr<Sapi4BufNotifySink> sink, const Guid &sinkInterface) override {
        const std::string text(data, size > 0 && data[size - 1] == '\0' ? size - 1 : size);
        const HResult result = engines.script.textData;
        logged("central.textData " + std::to_string(charset) + " " + std::to_string(flags) + " " +
                   std::to_string(size) + " " + guidText(sinkInterface) + " " +
                   (text.size() > 40 ? text.substr(0, 40) + "..." : text),
               result);
        if (!succeeded(result))
            return result;
        trace::engine("speak " + text);
        const Timing timing = queueText(owner_, text.size(), engines.script.audioTailMs);
        queued_[timing.id] = sink;
        notify(tickMs(), owner_, [sink] {
            log("sink textDataStarted");
            sink->textDataStarted(0);
        });
        notify(timing.beginMs, owner_, [this, sink] {
            trace::engine("begin");
            toEngineSinks("sink audioStart", [](Sapi4NotifySink &s) { s.audioStart(0); });
            log("sink wordPosition 0");
            sink->wordPosition(0, 0);
        });
        notify(timing.endMs, owner_, [this, id = timing.id] {
            trace::engine("end");
            finishBuffer(id);
        });
        notify(timing.endMs + engines.script.audioTailMs, owner_, [this, id = timing.id] {
            finishText(id);
            toEngineSinks("sink audioStop", [](Sapi4NotifySink &s) { s.audioStop(0); });
        });
        return SOk;
    }
    HResult audioReset() override {
        const HResult result = engines.script.audioReset;
        logged("central.audioReset", result);
        if (succeeded(result) && ownerSounding(owner_)) {
            trace::engine("cancel");
            dropOwner(owner_);
            notify(tickMs(), owner_, [this] {
                toEngineSinks("sink audioStop", [](Sapi4NotifySink &s) { s.audioStop(0); });
                while (!queued_.empty())
                    finishBuffer(queued_.begin()->first);
            });
        }
        return result;
    }
    HResult queryAttributes(const Guid &attributesInterface,
                            std::unique_ptr<Sapi4Attributes> &attributes) override {
        const HResult result = engines.script.attributes;
        if (succeeded(result))
            attributes = std::make_unique<Attributes>();
        return logged("central.queryAttributes " + guidText(attributesInterface), result);
    }

private:
    void finishBuffer(uint64_t id) {
        const auto found = queued_.find(id);
        if (found == queued_.end())
            return;
        const auto sink = found->second;
        queued_.erase(found);
        log("sink textDataDone");
        sink->textDataDone(0, 0);
    }

    void toEngineSinks(const std::string &call, const std::function<void(Sapi4NotifySink &)> &f) {
        for (auto &[key, sink] : sinks_) {
            log(call);
            f(*sink);
        }
    }

    uint32_t owner_;
    std::string modeName_;
    std::shared_ptr<Sapi4AudioDest> audio_;
    std::map<uint32_t, std::shared_ptr<Sapi4NotifySink>> sinks_;
    std::map<uint64_t, std::shared_ptr<Sapi4BufNotifySink>> queued_; // by text
    uint32_t nextKey_ = 1;
};

class Enumerator final : public Sapi4Enum {
public:
    ~Enumerator() override { log("enum.release"); }
    HResult reset() override {
        position_ = 0;
        return logged("enum.reset", SOk);
    }
    HResult next(Sapi4ModeInfo &mode) override {
        if (engines.nextCalls++ == engines.script.nextFailsAt)
            return logged("enum.next", EFail);
        const auto &voices = engines.script.voices;
        if (position_ >= voices.size())
            return logged("enum.next none", SFalse);
        mode = Sapi4ModeInfo{};
        mode.modeId = modeIdOf(position_);
        mode.modeName = voices[position_].name;
        mode.dialect = voices[position_].language;
        ++position_;
        return logged("enum.next " + mode.modeName, SOk);
    }
    HResult select(const Guid &modeId, std::unique_ptr<Sapi4Central> &engine,
                   std::shared_ptr<Sapi4AudioDest> audio) override {
        HResult result = engines.script.select;
        std::string name = "?";
        const auto &voices = engines.script.voices;
        for (size_t i = 0; i < voices.size(); ++i)
            if (modeIdOf(i) == modeId)
                name = voices[i].name;
        if (name == "?" || !audio)
            result = EInvalidArg;
        if (succeeded(result))
            engine = std::make_unique<Central>(name, std::move(audio));
        if (!engines.script.selectChangesDirectory.empty())
            setCurrentDirectory(engines.script.selectChangesDirectory);
        return logged("enum.select " + name, result);
    }

private:
    size_t position_ = 0;
};

class ScriptedHost final : public SpeechEngineHost {
public:
    HResult createSapi5Voice(const Guid &voiceClass, const Guid &voiceInterface,
                             const Guid &eventInterface,
                             std::unique_ptr<Sapi5Voice> &voice) override {
        const HResult result = engines.script.createVoice;
        if (succeeded(result))
            voice = std::make_unique<Voice5>();
        return logged("createVoice " + guidText(voiceClass) + " " + guidText(voiceInterface) + " " +
                          guidText(eventInterface),
                      result);
    }
    HResult createSapi4AudioDest(const Guid &classId, uint32_t context, const Guid &interfaceId,
                                 std::shared_ptr<Sapi4AudioDest> &audio) override {
        const HResult result = engines.script.createAudio;
        if (succeeded(result))
            audio = std::make_shared<AudioDest>();
        return logged("createAudio " + guidText(classId) + " " + std::to_string(context) + " " +
                          guidText(interfaceId),
                      result);
    }
    HResult createSapi4Enumerator(const Guid &classId, uint32_t context, const Guid &interfaceId,
                                  std::unique_ptr<Sapi4Enum> &enumerator) override {
        const HResult result = engines.script.createEnumerator;
        if (succeeded(result))
            enumerator = std::make_unique<Enumerator>();
        return logged("createEnumerator " + guidText(classId) + " " + std::to_string(context) +
                          " " + guidText(interfaceId),
                      result);
    }
    void serveNotifications() override { serveDue(); }
    bool notificationsAwaited() override { return false; }
    bool serverLost() override { return engines.script.serverLost; }
    HResult initializeComThread() override { return logged("CoInitialize", SOk); }
    void uninitializeComThread() override { log("CoUninitialize"); }
};

ScriptedHost host;

} // namespace

namespace headless {

void scriptSpeechEngines(const EngineScript &script) {
    const uint32_t nextOwner = engines.nextOwner; // objects of an earlier script may live on
    engines = Engines{};
    engines.nextOwner = nextOwner;
    engines.script = script;
    setSpeechEngineStandIn(&host);
}

void unscriptSpeechEngines() {
    setSpeechEngineStandIn(nullptr);
}

const std::vector<std::string> &engineCalls() {
    return engines.calls;
}

size_t textsSounding() {
    return engines.texts.size();
}

} // namespace headless
