// The platform's engine calls, routed to a stand-in when a test set one and
// to the host's own engines otherwise.
#include "platform/speech_engines.h"

#include "platform/host_speech_engines.h"

#include <cstdio>

namespace {

platform::SpeechEngineHost *standIn = nullptr;
void (*waitPump)() = nullptr;

platform::SpeechEngineHost &active() {
    return standIn ? *standIn : host_speech::engines();
}

} // namespace

namespace platform {

std::string guidText(const Guid &guid) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.data1), guid.data2, guid.data3, guid.data4[0],
                  guid.data4[1], guid.data4[2], guid.data4[3], guid.data4[4], guid.data4[5],
                  guid.data4[6], guid.data4[7]);
    return text;
}

HResult createSapi5Voice(const Guid &voiceClass, const Guid &voiceInterface,
                         const Guid &eventInterface, std::unique_ptr<Sapi5Voice> &voice) {
    return active().createSapi5Voice(voiceClass, voiceInterface, eventInterface, voice);
}

HResult createSapi4AudioDest(const Guid &classId, uint32_t context, const Guid &interfaceId,
                             std::shared_ptr<Sapi4AudioDest> &audio) {
    return active().createSapi4AudioDest(classId, context, interfaceId, audio);
}

HResult createSapi4Enumerator(const Guid &classId, uint32_t context, const Guid &interfaceId,
                              std::unique_ptr<Sapi4Enum> &enumerator) {
    return active().createSapi4Enumerator(classId, context, interfaceId, enumerator);
}

void serveEngineNotifications() {
    active().serveNotifications();
}

bool engineNotificationsAwaited() {
    return active().notificationsAwaited();
}

bool pumpEngineQueue(uint32_t ms) {
    return active().pumpQueue(ms);
}

void setEngineWaitPump(void (*pump)()) {
    waitPump = pump;
}

void runEngineWaitPump() {
    if (waitPump)
        waitPump();
}

bool engineServerLost() {
    return active().serverLost();
}

HResult initializeComThread() {
    return active().initializeComThread();
}

void uninitializeComThread() {
    active().uninitializeComThread();
}

void setSpeechEngineStandIn(SpeechEngineHost *host) {
    standIn = host;
}

} // namespace platform
