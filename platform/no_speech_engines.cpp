// A host without speech engines: no engine class is registered, so every
// server client's start fails and the program speaks with its own voice.
#include "platform/host_speech_engines.h"

namespace {

using namespace platform;

class NoEngines final : public SpeechEngineHost {
public:
    HResult createSapi5Voice(const Guid &, const Guid &, const Guid &,
                             std::unique_ptr<Sapi5Voice> &) override {
        return ClassNotRegistered;
    }
    HResult createSapi4AudioDest(const Guid &, uint32_t, const Guid &,
                                 std::shared_ptr<Sapi4AudioDest> &) override {
        return ClassNotRegistered;
    }
    HResult createSapi4Enumerator(const Guid &, uint32_t, const Guid &,
                                  std::unique_ptr<Sapi4Enum> &) override {
        return ClassNotRegistered;
    }
    void serveNotifications() override {}
    bool notificationsAwaited() override { return false; }
};

} // namespace

namespace host_speech {

platform::SpeechEngineHost &engines() {
    static NoEngines none;
    return none;
}

} // namespace host_speech
