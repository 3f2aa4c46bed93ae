// The speech engines of a POSIX host: speech-dispatcher stands in for both
// SAPI kinds. A SAPI 5 voice and a SAPI 4 engine each hold a connection of
// their own; the voices, in the order the connection gives them, are the
// installed voices and the engine modes alike. Texts are queued with the
// server's message priority, which keeps them in order.
//
//   SAPI 5 rate -10..10      -> server rate rate x 10 (others are refused)
//   SAPI 4 speed (words/min) -> server rate (speed - 180) x 100 / 180
//   SAPI 4 pitch (Hz)        -> server pitch (pitch - 120) x 100 / 120
//   (both within -100..100: 180 words a minute and 120 Hz are the server's
//   own rate and pitch)
#include "platform/cp1252.h"
#include "platform/host_speech_engines.h"
#include "platform/platform.h"
#include "platform/speechd/speechd_connection.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace {

using namespace platform;
using speechd::Connection;
using speechd::Notice;
using namespace platform::guids;

// CO_E_SERVER_EXEC_FAILURE: the class is known but its server cannot run.
constexpr HResult ServerUnavailable = static_cast<HResult>(0x80080005u);
constexpr HResult NoInterface = static_cast<HResult>(0x80004002u);

constexpr int32_t SpeakAsync = 1, SpeakPurgeBeforeSpeak = 2;
constexpr int ServerSpeedWordsPerMinute = 180;
constexpr int ServerPitchHz = 120;
constexpr int MaxServerValue = 100;

int scaled(int64_t value, int64_t neutral) {
    const int64_t server = (value - neutral) * MaxServerValue / neutral;
    return static_cast<int>(std::clamp<int64_t>(server, -MaxServerValue, MaxServerValue));
}

std::string utf16ToUtf8(const std::u16string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
        else if (c >= 0xD800 && c < 0xE000)
            continue; // a lone surrogate
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool blank(const std::string &text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// An engine object whose notifications the host serves on the main thread.
class Served {
public:
    Served();
    virtual ~Served();
    Served(const Served &) = delete;
    Served &operator=(const Served &) = delete;
    virtual void serve() = 0;
    virtual bool awaiting() const = 0;
    virtual bool lost() const = 0; // its server went away
};

// Never destroyed: engine objects held by other modules' state may go
// while the program exits.
std::vector<Served *> &servedObjects() {
    static auto *const objects = new std::vector<Served *>;
    return *objects;
}

Served::Served() {
    servedObjects().push_back(this);
}

Served::~Served() {
    std::erase(servedObjects(), this);
}

// One engine object's line to the server: its connection and what was set
// on it. A lost server is tried once more at the next text, with the same
// settings; when that fails, or it is lost again, it stays gone for the
// rest of the run.
class ServerLink {
public:
    ServerLink(std::unique_ptr<Connection> connection, std::string name)
        : connection_(std::move(connection)), name_(std::move(name)) {}

    Connection &connection() { return *connection_; }
    bool lost() const { return connection_->lost(); }
    bool setVoice(const speechd::Voice &voice) {
        voice_ = voice;
        return connection_->setVoice(voice);
    }
    bool setRate(int rate) {
        rate_ = rate;
        return connection_->setRate(rate);
    }
    bool setPitch(int pitch) {
        pitch_ = pitch;
        return connection_->setPitch(pitch);
    }
    // The connection for a new text, connected once more after a loss;
    // nullptr when the server is gone. The owner has taken the lost
    // connection's notices first.
    Connection *forText() {
        if (!connection_->lost())
            return connection_.get();
        if (triedAgain_)
            return nullptr;
        triedAgain_ = true;
        return reconnect() ? connection_.get() : nullptr;
    }

private:
    bool reconnect() {
        auto fresh = Connection::open(name_);
        if (!fresh)
            return false;
        if (voice_)
            fresh->setVoice(*voice_);
        if (rate_)
            fresh->setRate(*rate_);
        if (pitch_)
            fresh->setPitch(*pitch_);
        if (fresh->lost())
            return false;
        connection_ = std::move(fresh);
        trace::engine("server back");
        return true;
    }

    std::unique_ptr<Connection> connection_;
    std::string name_;
    std::optional<speechd::Voice> voice_;
    std::optional<int> rate_, pitch_;
    bool triedAgain_ = false; // the one try to connect again is spent
};

// The texts one engine has queued, by message id, with what each needs
// when it ends. A lost server ends them all.
template <typename Done> class InFlight {
public:
    explicit InFlight(ServerLink &link) : link_(link) {}
    void add(size_t id, Done done) {
        texts_[id] = std::move(done);
        link_.connection().setInFlight(texts_.size());
    }
    bool empty() const { return texts_.empty(); }
    bool has(size_t id) const { return texts_.count(id) > 0; }
    // Removes the text and hands back what it needed; false when unknown.
    bool finish(size_t id, Done &done) {
        const auto found = texts_.find(id);
        if (found == texts_.end())
            return false;
        done = std::move(found->second);
        texts_.erase(found);
        link_.connection().setInFlight(texts_.size());
        return true;
    }
    std::vector<size_t> ids() const {
        std::vector<size_t> out;
        for (const auto &[id, done] : texts_)
            out.push_back(id);
        return out;
    }

private:
    ServerLink &link_;
    std::map<size_t, Done> texts_;
};

// ---- SAPI 5 -----------------------------------------------------------

class VoiceToken final : public Sapi5Token {
public:
    explicit VoiceToken(speechd::Voice chosen) : voice(std::move(chosen)) {}
    HResult getDescription(std::string &description) const override {
        description = voice.name;
        return SOk;
    }
    HResult getAttribute(const std::string &name, std::string &value) const override {
        if (name != "Language")
            return EInvalidArg;
        value = voice.language;
        return SOk;
    }
    speechd::Voice voice;
};

class VoiceTokens final : public Sapi5Tokens {
public:
    explicit VoiceTokens(std::vector<speechd::Voice> voices) : voices_(std::move(voices)) {}
    HResult count(int32_t &count) override {
        count = static_cast<int32_t>(voices_.size());
        return SOk;
    }
    HResult item(int32_t index, std::unique_ptr<Sapi5Token> &token) override {
        if (index < 0 || static_cast<size_t>(index) >= voices_.size())
            return EInvalidArg;
        token = std::make_unique<VoiceToken>(voices_[static_cast<size_t>(index)]);
        return SOk;
    }

private:
    std::vector<speechd::Voice> voices_;
};

struct NoData {};

class Voice5 final : public Sapi5Voice, public Served {
public:
    Voice5(std::unique_ptr<Connection> connection, std::string name)
        : link_(std::move(connection), std::move(name)), texts_(link_), complete_(*this) {}

    HResult putEventInterests(int32_t) override { return SOk; }
    HResult getVoices(const std::string &, const std::string &,
                      std::unique_ptr<Sapi5Tokens> &tokens) override {
        tokens = std::make_unique<VoiceTokens>(link_.connection().voices());
        return SOk;
    }
    HResult putVoice(const Sapi5Token &token) override {
        return link_.setVoice(static_cast<const VoiceToken &>(token).voice) ? SOk : EFail;
    }
    HResult putRate(int32_t rate) override {
        if (rate < -10 || rate > 10)
            return EInvalidArg;
        return link_.setRate(rate * 10) ? SOk : EFail;
    }
    HResult speak(const std::u16string &text, int32_t flags) override {
        serve(); // a lost connection's notices, before it is replaced
        if (flags & SpeakPurgeBeforeSpeak)
            purge();
        const std::string utf8 = utf16ToUtf8(text);
        if (blank(utf8))
            return link_.lost() ? EFail : SOk; // nothing to say: no notices to wait for
        Connection *connection = link_.forText();
        const size_t id = connection ? connection->say(utf8) : 0;
        if (id == 0)
            return EFail;
        trace::engine("speak " + utf8ToCp1252(utf8)); // the transcript holds Windows-1252
        texts_.add(id, NoData{});
        if (!(flags & SpeakAsync))
            while (texts_.has(id))
                complete_.wait(1000);
        return SOk;
    }
    HResult speakCompleteEvent(EngineEvent *&event) override {
        event = &complete_;
        return SOk;
    }

    void serve() override {
        for (const Notice &notice : link_.connection().take())
            apply(notice);
    }
    bool awaiting() const override { return !texts_.empty() && !link_.lost(); }
    bool lost() const override { return link_.lost(); }

    Connection &connection() { return link_.connection(); }
    bool idle() const { return texts_.empty(); }

private:
    // Set while nothing is in flight; the waits serve the notices themselves.
    class CompleteEvent final : public EngineEvent {
    public:
        explicit CompleteEvent(Voice5 &voice) : voice_(voice) {}
        uint32_t wait(uint32_t ms) override {
            using Clock = std::chrono::steady_clock;
            const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
            voice_.serve();
            while (!voice_.idle()) {
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                if (left.count() <= 0)
                    return WaitTimeout;
                voice_.connection().waitForNotice(static_cast<unsigned>(left.count()));
                voice_.serve();
            }
            return WaitObject0;
        }

    private:
        Voice5 &voice_;
    };

    void apply(const Notice &notice) {
        NoData done;
        switch (notice.kind) {
        case Notice::Kind::Begin:
            if (texts_.has(notice.messageId))
                trace::engine("begin");
            break;
        case Notice::Kind::End:
        case Notice::Kind::Cancel:
            if (texts_.finish(notice.messageId, done))
                trace::engine(notice.kind == Notice::Kind::End ? "end" : "cancel");
            else if (purged_.erase(notice.messageId) > 0)
                trace::engine("cancel");
            break;
        case Notice::Kind::Lost:
            for (const size_t id : texts_.ids())
                texts_.finish(id, done);
            purged_.clear();
            trace::engine("server lost");
            break;
        }
    }

    // Whatever is queued is gone at once; the server's cancel notices for
    // those texts only confirm it.
    void purge() {
        if (texts_.empty())
            return;
        link_.connection().cancel();
        NoData done;
        for (const size_t id : texts_.ids()) {
            texts_.finish(id, done);
            purged_.insert(id);
        }
        trace::engine("purge");
    }

    ServerLink link_;
    InFlight<NoData> texts_;
    std::set<size_t> purged_;
    CompleteEvent complete_;
};

// ---- SAPI 4 -----------------------------------------------------------

class AudioDest final : public Sapi4AudioDest {};

class Attributes final : public Sapi4Attributes {
public:
    explicit Attributes(ServerLink &link) : link_(link) {}
    HResult speedSet(uint32_t speed) override {
        return link_.setRate(scaled(speed, ServerSpeedWordsPerMinute)) ? SOk : EFail;
    }
    HResult pitchSet(uint16_t pitch) override {
        return link_.setPitch(scaled(pitch, ServerPitchHz)) ? SOk : EFail;
    }

private:
    ServerLink &link_;
};

using BufferSink = std::shared_ptr<Sapi4BufNotifySink>;

// Texts are taken as soon as they are queued (TextDataStarted at the next
// pump); the audio runs from the first text's begin to the last one's end.
class Central final : public Sapi4Central, public Served {
public:
    Central(std::unique_ptr<Connection> connection, std::string name,
            std::shared_ptr<Sapi4AudioDest> audio)
        : link_(std::move(connection), std::move(name)), audio_(std::move(audio)), texts_(link_) {}

    bool setVoice(const speechd::Voice &voice) { return link_.setVoice(voice); }

    HResult registerSink(std::shared_ptr<Sapi4NotifySink> sink, const Guid &,
                         uint32_t &key) override {
        if (!sink)
            return EInvalidArg;
        key = nextKey_++;
        sinks_[key] = std::move(sink);
        return SOk;
    }
    HResult unRegister(uint32_t key) override { return sinks_.erase(key) ? SOk : EInvalidArg; }
    HResult textData(uint32_t, uint32_t, const char *data, uint32_t size, BufferSink sink,
                     const Guid &) override {
        if (!data || !sink)
            return EInvalidArg;
        serve(); // a lost connection's notices, before it is replaced
        const std::string cp1252(data, size > 0 && data[size - 1] == '\0' ? size - 1 : size);
        const std::string text = cp1252ToUtf8(cp1252);
        Connection *connection = blank(text) ? nullptr : link_.forText();
        const size_t id = connection ? connection->say(text) : 0;
        if (id == 0)
            return EFail;
        trace::engine("speak " + cp1252); // the transcript holds Windows-1252
        texts_.add(id, sink);
        started_.push_back(sink);
        Message wake; // TextDataStarted comes with the next pump
        wake.kind = Msg::User;
        wake.code = EngineNotifyMessage;
        postMessage(wake);
        return SOk;
    }
    HResult audioReset() override { return link_.connection().cancel() ? SOk : EFail; }
    HResult queryAttributes(const Guid &, std::unique_ptr<Sapi4Attributes> &attributes) override {
        attributes = std::make_unique<Attributes>(link_);
        return SOk;
    }

    void serve() override {
        for (const BufferSink &sink : std::exchange(started_, {}))
            sink->textDataStarted(0);
        for (const Notice &notice : link_.connection().take())
            apply(notice);
    }
    bool awaiting() const override { return !texts_.empty() && !link_.lost(); }
    bool lost() const override { return link_.lost(); }

private:
    void apply(const Notice &notice) {
        switch (notice.kind) {
        case Notice::Kind::Begin:
            if (!texts_.has(notice.messageId))
                return;
            trace::engine("begin");
            if (!audioActive_) {
                audioActive_ = true;
                forEachSink([](Sapi4NotifySink &s) { s.audioStart(0); });
            }
            break;
        case Notice::Kind::End:
        case Notice::Kind::Cancel:
            if (texts_.has(notice.messageId))
                trace::engine(notice.kind == Notice::Kind::End ? "end" : "cancel");
            finish(notice.messageId);
            break;
        case Notice::Kind::Lost:
            trace::engine("server lost");
            for (const size_t id : texts_.ids())
                finish(id);
            break;
        }
    }

    void finish(size_t id) {
        BufferSink sink;
        if (!texts_.finish(id, sink))
            return;
        if (texts_.empty() && audioActive_) {
            audioActive_ = false;
            forEachSink([](Sapi4NotifySink &s) { s.audioStop(0); });
        }
        sink->textDataDone(0, 0);
    }

    template <typename F> void forEachSink(F f) {
        for (auto &[key, sink] : sinks_)
            f(*sink);
    }

    ServerLink link_;
    std::shared_ptr<Sapi4AudioDest> audio_;
    InFlight<BufferSink> texts_;
    std::vector<BufferSink> started_;
    std::map<uint32_t, std::shared_ptr<Sapi4NotifySink>> sinks_;
    uint32_t nextKey_ = 1;
    bool audioActive_ = false;
};

Guid modeIdOf(size_t index) {
    return Guid{
        static_cast<uint32_t>(index + 1), 0x5D00, 0x4E11, {'s', 'p', 'e', 'e', 'c', 'h', 'd', 0}};
}

class Enumerator final : public Sapi4Enum {
public:
    explicit Enumerator(std::vector<speechd::Voice> voices) : voices_(std::move(voices)) {}
    HResult reset() override {
        position_ = 0;
        return SOk;
    }
    HResult next(Sapi4ModeInfo &mode) override {
        if (position_ >= voices_.size())
            return SFalse;
        mode = Sapi4ModeInfo{};
        mode.modeId = modeIdOf(position_);
        mode.manufacturer = "speech-dispatcher";
        mode.modeName = voices_[position_].name;
        mode.dialect = voices_[position_].language;
        ++position_;
        return SOk;
    }
    HResult select(const Guid &modeId, std::unique_ptr<Sapi4Central> &engine,
                   std::shared_ptr<Sapi4AudioDest> audio) override {
        for (size_t i = 0; i < voices_.size(); ++i) {
            if (!(modeIdOf(i) == modeId))
                continue;
            auto connection = Connection::open("sapi4");
            if (!connection)
                return ServerUnavailable;
            auto central =
                std::make_unique<Central>(std::move(connection), "sapi4", std::move(audio));
            if (!central->setVoice(voices_[i]))
                return EFail;
            engine = std::move(central);
            return SOk;
        }
        return EInvalidArg;
    }

private:
    std::vector<speechd::Voice> voices_;
    size_t position_ = 0;
};

class SpeechdHost final : public SpeechEngineHost {
public:
    HResult createSapi5Voice(const Guid &voiceClass, const Guid &voiceInterface, const Guid &,
                             std::unique_ptr<Sapi5Voice> &voice) override {
        const bool standard = voiceClass == StandardVoiceClass;
        if (!standard && !(voiceClass == SecondVoiceClass))
            return ClassNotRegistered;
        if (!(voiceInterface == SpeechVoiceInterface))
            return NoInterface;
        auto connection = Connection::open(standard ? "sapi5" : "sapi54");
        if (!connection)
            return ServerUnavailable;
        voice = std::make_unique<Voice5>(std::move(connection), standard ? "sapi5" : "sapi54");
        return SOk;
    }
    HResult createSapi4AudioDest(const Guid &classId, uint32_t, const Guid &,
                                 std::shared_ptr<Sapi4AudioDest> &audio) override {
        if (!(classId == MMAudioDestClass))
            return ClassNotRegistered;
        audio = std::make_shared<AudioDest>();
        return SOk;
    }
    HResult createSapi4Enumerator(const Guid &classId, uint32_t, const Guid &,
                                  std::unique_ptr<Sapi4Enum> &enumerator) override {
        if (!(classId == TTSEnumeratorClass))
            return ClassNotRegistered;
        const auto connection = Connection::open("sapi4-modes");
        if (!connection)
            return ServerUnavailable;
        enumerator = std::make_unique<Enumerator>(connection->voices());
        return SOk;
    }
    void serveNotifications() override {
        if (Connection::waiting()) {
            Connection::takeLater(); // the waiting call's text may not be known yet
            return;
        }
        const std::vector<Served *> objects = servedObjects();
        for (Served *object : objects)
            if (std::find(servedObjects().begin(), servedObjects().end(), object) !=
                servedObjects().end())
                object->serve();
    }
    bool notificationsAwaited() override {
        return std::any_of(servedObjects().begin(), servedObjects().end(),
                           [](const Served *object) { return object->awaiting(); });
    }
    bool serverLost() override {
        return std::any_of(servedObjects().begin(), servedObjects().end(),
                           [](const Served *object) { return object->lost(); });
    }
};

} // namespace

namespace host_speech {

platform::SpeechEngineHost &engines() {
    static SpeechdHost host;
    return host;
}

} // namespace host_speech
