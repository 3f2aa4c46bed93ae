#include "tradutor/servers/sapi5_client.h"

#include "console/console.h"
#include "platform/cp1252.h"
#include "platform/platform.h"
#include "platform/speech_engines.h"

#include <array>
#include <memory>

namespace servers {
namespace {

using platform::Guid;
using namespace platform::guids;

// SpeechVoiceSpeakFlags and SpeechVoiceEvents.
constexpr int32_t FlagAsync = 1, FlagPurgeBeforeSpeak = 2, FlagIsXml = 8, FlagIsNotXml = 16;
constexpr int32_t AllEvents = 33790;

constexpr uint32_t WakeUpMessage = 2980; // WM_USER + 1956
constexpr uint32_t BusyWaitMs = 20;
constexpr uint16_t StopSettleMs = 50;
constexpr uint16_t ClosePollMs = 300;

struct Variant {
    std::unique_ptr<platform::Sapi5Voice> voice;
    platform::EngineEvent *completion = nullptr; // owned by the voice
    int32_t voiceCount = 0;
    int32_t voiceNumber = 0;
};

struct State {
    std::array<Variant, 2> variants;
    bool xml = false; // cleared by every start: texts are plain text
};

State state;

Variant &variantOf(Sapi5Class variant) {
    return state.variants[variant == Sapi5Class::Standard ? 0 : 1];
}

const Guid &voiceClassOf(Sapi5Class variant) {
    return variant == Sapi5Class::Standard ? StandardVoiceClass : SecondVoiceClass;
}

std::u16string toUtf16(const std::string &text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (const char c : text)
        if (const uint32_t code = platform::cp1252ToUnicode(static_cast<uint8_t>(c)); code != 0)
            wide += static_cast<char16_t>(code);
    return wide;
}

int32_t installedVoices(platform::Sapi5Voice &voice,
                        std::unique_ptr<platform::Sapi5Tokens> &tokens) {
    int32_t count = 0;
    if (!platform::succeeded(voice.getVoices("", "", tokens)) || !tokens ||
        !platform::succeeded(tokens->count(count)))
        return 0;
    return count;
}

} // namespace

bool sapi5Start(Sapi5Class variant, int32_t voice, int32_t rate, int32_t, const std::string &) {
    Variant &v = variantOf(variant);
    v = Variant{};
    if (!platform::succeeded(platform::createSapi5Voice(voiceClassOf(variant), SpeechVoiceInterface,
                                                        VoiceEventInterface, v.voice)) ||
        !v.voice) {
        v.voice.reset();
        return false;
    }
    v.voice->putEventInterests(AllEvents);
    std::unique_ptr<platform::Sapi5Tokens> tokens;
    v.voiceCount = installedVoices(*v.voice, tokens);
    if (v.voiceCount <= 0)
        return false;
    if (voice < 1 || voice > v.voiceCount) {
        voice = 1;
        rate = 0; // an invalid voice number also discards the rate
    }
    std::unique_ptr<platform::Sapi5Token> token;
    if (!platform::succeeded(tokens->item(voice - 1, token)) || !token ||
        !platform::succeeded(v.voice->putVoice(*token)))
        return false;
    v.voice->putRate(rate); // a rate the voice refuses leaves its own
    if (!platform::succeeded(v.voice->speakCompleteEvent(v.completion)) || !v.completion)
        return false;
    v.voiceNumber = voice;
    state.xml = false;
    return true;
}

bool sapi5Speak(Sapi5Class variant, const std::string &text) {
    Variant &v = variantOf(variant);
    if (!v.voice)
        return true;
    const int32_t flags = FlagAsync | (state.xml ? FlagIsXml : FlagIsNotXml);
    if (platform::succeeded(v.voice->speak(toUtf16(text.empty() ? " " : text), flags)))
        return true;
    if (platform::engineServerLost())
        return false;
    platform::messageBeep();
    return true;
}

bool sapi5Busy(Sapi5Class variant) {
    Variant &v = variantOf(variant);
    if (!v.completion || v.completion->wait(BusyWaitMs) != platform::WaitTimeout)
        return false;
    console::postMessage(WakeUpMessage);
    return true;
}

bool sapi5Stop(Sapi5Class variant) {
    Variant &v = variantOf(variant);
    if (!v.voice || !platform::succeeded(v.voice->speak(u" ", FlagPurgeBeforeSpeak)))
        return true;
    console::delayMs(StopSettleMs);
    return false;
}

std::vector<ServerVoice> sapi5Voices(Sapi5Class variant) {
    std::vector<ServerVoice> out;
    std::unique_ptr<platform::Sapi5Voice> voice;
    if (!platform::succeeded(platform::createSapi5Voice(voiceClassOf(variant), SpeechVoiceInterface,
                                                        VoiceEventInterface, voice)) ||
        !voice)
        return out;
    std::unique_ptr<platform::Sapi5Tokens> tokens;
    const int32_t count = installedVoices(*voice, tokens);
    for (int32_t i = 0; i < count; ++i) {
        std::unique_ptr<platform::Sapi5Token> token;
        std::string name, language;
        if (platform::succeeded(tokens->item(i, token)) && token) {
            token->getDescription(name);
            token->getAttribute("Language", language);
        }
        out.push_back({name, language});
    }
    return out;
}

void sapi5Close(Sapi5Class variant) {
    while (sapi5Busy(variant))
        console::delayMs(ClosePollMs);
    sapi5Release(variant);
}

void sapi5Release(Sapi5Class variant) {
    variantOf(variant) = Variant{};
}

} // namespace servers
