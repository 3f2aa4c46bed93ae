// The speech engines the server clients talk to, as the platform offers
// them: a SAPI 5 automation voice and the SAPI 4 ANSI text-to-speech objects,
// reduced to the calls the clients make. Results are HRESULTs; identifiers
// are the engines' GUIDs, passed as data. Each host serves them its own way
// (COM on Windows, speech-dispatcher on POSIX hosts, a scripted stand-in in
// tests), and every host delivers the engines' notifications on the main
// thread only, inside the message pumps.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

using HResult = int32_t;
constexpr HResult SOk = 0, SFalse = 1;
constexpr HResult ENotImpl = static_cast<HResult>(0x80004001u),
                  EFail = static_cast<HResult>(0x80004005u),
                  EInvalidArg = static_cast<HResult>(0x80070057u),
                  EOutOfMemory = static_cast<HResult>(0x8007000Eu),
                  ClassNotRegistered = static_cast<HResult>(0x80040154u);
constexpr bool succeeded(HResult result) {
    return result >= 0;
}

struct Guid {
    uint32_t data1 = 0;
    uint16_t data2 = 0, data3 = 0;
    uint8_t data4[8] = {};
    friend bool operator==(const Guid &, const Guid &) = default;
};
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
std::string guidText(const Guid &guid);

// The engines' identifiers.
namespace guids {
// SAPI 5: the voice classes of kinds 5 and 54, ISpeechVoice and its events.
constexpr Guid StandardVoiceClass{
    0x96749377, 0x3391, 0x11D2, {0x9E, 0xE3, 0x00, 0xC0, 0x4F, 0x79, 0x73, 0x96}};
constexpr Guid SecondVoiceClass{
    0xD941651C, 0x44E6, 0x4C17, {0xBA, 0xDF, 0xC3, 0x68, 0x26, 0xFC, 0x34, 0x24}};
constexpr Guid SpeechVoiceInterface{
    0x269316D8, 0x57BD, 0x11D2, {0x9E, 0xEE, 0x00, 0xC0, 0x4F, 0x79, 0x73, 0x96}};
constexpr Guid VoiceEventInterface{
    0xA372ACD1, 0x3BEF, 0x4BBD, {0x8F, 0xFB, 0xCB, 0x3E, 0x2B, 0x41, 0x6A, 0xF8}};
// SAPI 4.
constexpr Guid MMAudioDestClass{
    0xCB96B400, 0xC743, 0x11CD, {0x80, 0xE5, 0x00, 0xAA, 0x00, 0x3E, 0x4B, 0x50}};
constexpr Guid AudioMultiMediaDeviceInterface{
    0xB68AD320, 0xC743, 0x11CD, {0x80, 0xE5, 0x00, 0xAA, 0x00, 0x3E, 0x4B, 0x50}};
constexpr Guid TTSEnumeratorClass{
    0xD67C0280, 0xC743, 0x11CD, {0x80, 0xE5, 0x00, 0xAA, 0x00, 0x3E, 0x4B, 0x50}};
constexpr Guid TTSEnumInterface{
    0x05EB6C6D, 0xDBAB, 0x11CD, {0xB3, 0xCA, 0x00, 0xAA, 0x00, 0x47, 0xBA, 0x4F}};
constexpr Guid TTSNotifySinkInterface{
    0x05EB6C6F, 0xDBAB, 0x11CD, {0xB3, 0xCA, 0x00, 0xAA, 0x00, 0x47, 0xBA, 0x4F}};
constexpr Guid TTSBufNotifySinkInterface{
    0xE4963D40, 0xC743, 0x11CD, {0x80, 0xE5, 0x00, 0xAA, 0x00, 0x3E, 0x4B, 0x50}};
constexpr Guid TTSAttributesInterface{
    0x0FD6E2A1, 0xE77D, 0x11CD, {0xB3, 0xCA, 0x00, 0xAA, 0x00, 0x47, 0xBA, 0x4F}};
} // namespace guids

// CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER.
constexpr uint32_t ClsctxServers = 7;

// WaitForSingleObject's results.
constexpr uint32_t WaitObject0 = 0, WaitTimeout = 258;

// The private message a host posts to the window when its engines have
// notifications waiting: dispatching it (the backend's default procedure)
// serves them, as an engine's own window does on Windows.
constexpr uint32_t EngineNotifyMessage = 0x0400 + 1957; // WM_USER + 1957

// ---- SAPI 5 -----------------------------------------------------------

// An event the engine sets; owned by the object that hands it out.
class EngineEvent {
public:
    virtual ~EngineEvent() = default;
    // WaitObject0 once set, WaitTimeout after `ms` milliseconds otherwise.
    virtual uint32_t wait(uint32_t ms) = 0;
};

// ISpeechObjectToken; texts in UTF-8.
class Sapi5Token {
public:
    virtual ~Sapi5Token() = default;
    virtual HResult getDescription(std::string &description) const = 0;
    // "Language": the voice's language tag on hosts that have one.
    virtual HResult getAttribute(const std::string &name, std::string &value) const = 0;
};

// ISpeechObjectTokens.
class Sapi5Tokens {
public:
    virtual ~Sapi5Tokens() = default;
    virtual HResult count(int32_t &count) = 0;
    virtual HResult item(int32_t index, std::unique_ptr<Sapi5Token> &token) = 0;
};

// ISpeechVoice with its event connection. Releasing it ends the connection.
class Sapi5Voice {
public:
    virtual ~Sapi5Voice() = default;
    virtual HResult putEventInterests(int32_t interests) = 0;
    virtual HResult getVoices(const std::string &required, const std::string &optional,
                              std::unique_ptr<Sapi5Tokens> &tokens) = 0;
    virtual HResult putVoice(const Sapi5Token &token) = 0;
    virtual HResult putRate(int32_t rate) = 0;
    // SpeechVoiceSpeakFlags; without SVSFlagsAsync it returns once spoken.
    virtual HResult speak(const std::u16string &text, int32_t flags) = 0;
    // The event stays owned by the voice and lives as long as it.
    virtual HResult speakCompleteEvent(EngineEvent *&event) = 0;
};

// Creates the voice object of `voiceClass`, connected to `voiceInterface` and
// to the event interface `eventInterface`.
HResult createSapi5Voice(const Guid &voiceClass, const Guid &voiceInterface,
                         const Guid &eventInterface, std::unique_ptr<Sapi5Voice> &voice);

// ---- SAPI 4 -----------------------------------------------------------

// TTSMODEINFOA: one engine mode.
struct Sapi4ModeInfo {
    Guid engineId;
    std::string manufacturer, product; // at most 261 characters each
    Guid modeId;
    std::string modeName, dialect, speaker, style;
    uint16_t languageId = 0;
    uint16_t gender = 0, age = 0;
    uint32_t features = 0, interfaces = 0, engineFeatures = 0;
};

// ITTSNotifySinkA, implemented by the client.
class Sapi4NotifySink {
public:
    virtual ~Sapi4NotifySink() = default;
    virtual HResult attribChanged(uint32_t attribute) = 0;
    virtual HResult audioStart(uint64_t time) = 0;
    virtual HResult audioStop(uint64_t time) = 0;
    virtual HResult visual(uint64_t time) = 0;
};

// ITTSBufNotifySink, implemented by the client.
class Sapi4BufNotifySink {
public:
    virtual ~Sapi4BufNotifySink() = default;
    virtual HResult textDataDone(uint64_t time, uint32_t flags) = 0;
    virtual HResult textDataStarted(uint64_t time) = 0;
    virtual HResult bookMark(uint64_t time, uint32_t mark) = 0;
    virtual HResult wordPosition(uint64_t time, uint32_t byteOffset) = 0;
};

// IAudioMultiMediaDevice: the client only hands it to the engine.
class Sapi4AudioDest {
public:
    virtual ~Sapi4AudioDest() = default;
};

// ITTSAttributesA.
class Sapi4Attributes {
public:
    virtual ~Sapi4Attributes() = default;
    virtual HResult speedSet(uint32_t speed) = 0;
    virtual HResult pitchSet(uint16_t pitch) = 0;
};

// ITTSCentralA. Sinks are shared: the engine keeps its own reference while
// it may still call them.
class Sapi4Central {
public:
    virtual ~Sapi4Central() = default;
    virtual HResult registerSink(std::shared_ptr<Sapi4NotifySink> sink, const Guid &sinkInterface,
                                 uint32_t &key) = 0;
    virtual HResult unRegister(uint32_t key) = 0;
    // Queues `size` bytes of `data` (NUL included) and returns at once.
    virtual HResult textData(uint32_t charset, uint32_t flags, const char *data, uint32_t size,
                             std::shared_ptr<Sapi4BufNotifySink> sink,
                             const Guid &sinkInterface) = 0;
    virtual HResult audioReset() = 0;
    virtual HResult queryAttributes(const Guid &attributesInterface,
                                    std::unique_ptr<Sapi4Attributes> &attributes) = 0;
};

// ITTSEnumA.
class Sapi4Enum {
public:
    virtual ~Sapi4Enum() = default;
    virtual HResult reset() = 0;
    // One mode into `mode`; SFalse when none is left (then `mode` is kept).
    virtual HResult next(Sapi4ModeInfo &mode) = 0;
    virtual HResult select(const Guid &modeId, std::unique_ptr<Sapi4Central> &engine,
                           std::shared_ptr<Sapi4AudioDest> audio) = 0;
};

HResult createSapi4AudioDest(const Guid &classId, uint32_t context, const Guid &interfaceId,
                             std::shared_ptr<Sapi4AudioDest> &audio);
HResult createSapi4Enumerator(const Guid &classId, uint32_t context, const Guid &interfaceId,
                              std::unique_ptr<Sapi4Enum> &enumerator);

// ---- hosts ------------------------------------------------------------

// Delivers the notifications the engines have waiting. Main thread only:
// the backends call it when they dispatch EngineNotifyMessage.
void serveEngineNotifications();
// True while an engine has accepted work whose notifications will come from
// another thread, so that a wait with nothing queued must block for them.
bool engineNotificationsAwaited();
// For a backend that does not pump the thread's own message queue (the
// headless one): serves that queue when the host's engines call back
// through it (COM on Windows), first waiting at most `ms` for a message
// when none is there, and returns true. False when they do not: their
// notifications then come as EngineNotifyMessage.
bool pumpEngineQueue(uint32_t ms);

// The program's message pump, which a host's engines run while the main
// thread waits for a slow engine server, so that the window stays alive and
// a key is taken at once. None until the program sets one.
void setEngineWaitPump(void (*pump)());
void runEngineWaitPump();

// True when the engines' server went away (it ended, or stopped answering)
// and could not be reached again: a text that failed then was lost with it,
// not refused. Only hosts whose engines live in a server of their own say
// so; on the others a failure stays a failure.
bool engineServerLost();

// COM for the calling thread (CoInitialize, CoUninitialize), which the
// speech façade starts and ends; once each, however often they are called.
HResult initializeComThread();
void uninitializeComThread();

// What one host's engines offer; the calls above go to the active one.
class SpeechEngineHost {
public:
    virtual ~SpeechEngineHost() = default;
    virtual HResult createSapi5Voice(const Guid &voiceClass, const Guid &voiceInterface,
                                     const Guid &eventInterface,
                                     std::unique_ptr<Sapi5Voice> &voice) = 0;
    virtual HResult createSapi4AudioDest(const Guid &classId, uint32_t context,
                                         const Guid &interfaceId,
                                         std::shared_ptr<Sapi4AudioDest> &audio) = 0;
    virtual HResult createSapi4Enumerator(const Guid &classId, uint32_t context,
                                          const Guid &interfaceId,
                                          std::unique_ptr<Sapi4Enum> &enumerator) = 0;
    virtual void serveNotifications() = 0;
    virtual bool notificationsAwaited() = 0;
    virtual bool pumpQueue(uint32_t) { return false; }
    virtual bool serverLost() { return false; }
    // Hosts without COM have nothing to start.
    virtual HResult initializeComThread() { return SOk; }
    virtual void uninitializeComThread() {}
};

// A stand-in for the host's own engines (tests); nullptr gives them back.
void setSpeechEngineStandIn(SpeechEngineHost *host);

} // namespace platform
