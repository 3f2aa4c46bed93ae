// SAPI 5 on Windows: the automation voice ISpeechVoice, its voice tokens,
// the speak-complete event, and the connection to the voice's event
// interface. The events arrive through the thread's message queue; the
// client handles none of them, they only mark the transcript's begin and end.
#include "platform/platform.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_speech.h"

#include <ocidl.h>
#include <sapi.h>

#include <cstdio>
#include <memory>

namespace win32_speech {
namespace {

using platform::HResult;

// _ISpeechVoiceEvents' dispatch identifiers of the two events traced.
constexpr DISPID StreamStart = 1, StreamEnd = 2;

// The voice's event interface, served for the connection point: every event
// is taken and none is acted on.
class VoiceEvents final : public ComObject<IDispatch> {
public:
    explicit VoiceEvents(const IID &eventInterface)
        : ComObject({__uuidof(IDispatch), eventInterface}) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override {
        if (count)
            *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID event, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *,
                                     EXCEPINFO *, UINT *) override {
        if (event == StreamStart)
            platform::trace::engine("begin");
        else if (event == StreamEnd)
            platform::trace::engine("end");
        return S_OK;
    }
};

// The languages of a voice token are hexadecimal LCIDs ("416;816"); the
// first one is named as a language tag ("pt-BR").
std::string languageTag(const std::string &lcids) {
    unsigned long lcid = 0;
    if (std::sscanf(lcids.c_str(), "%lx", &lcid) != 1 || lcid == 0)
        return lcids;
    char language[16] = {}, country[16] = {};
    if (!GetLocaleInfoA(static_cast<LCID>(lcid), LOCALE_SISO639LANGNAME, language, sizeof language))
        return lcids;
    if (!GetLocaleInfoA(static_cast<LCID>(lcid), LOCALE_SISO3166CTRYNAME, country, sizeof country))
        return language;
    return std::string(language) + "-" + country;
}

class Token final : public platform::Sapi5Token {
public:
    explicit Token(ComRef<ISpeechObjectToken> token) : token_(std::move(token)) {}
    HResult getDescription(std::string &description) const override {
        Bstr text;
        const HRESULT result = token_->GetDescription(0, text.out());
        if (SUCCEEDED(result))
            description = text.utf8();
        return result;
    }
    // "Language" as a language tag; any other attribute as the token has it.
    HResult getAttribute(const std::string &name, std::string &value) const override {
        const Bstr attribute(cp1252ToUtf16(name));
        Bstr text;
        const HRESULT result = token_->GetAttribute(attribute.get(), text.out());
        if (SUCCEEDED(result))
            value = name == "Language" ? languageTag(text.utf8()) : text.utf8();
        return result;
    }
    ISpeechObjectToken *get() const { return token_.get(); }

private:
    ComRef<ISpeechObjectToken> token_;
};

class Tokens final : public platform::Sapi5Tokens {
public:
    explicit Tokens(ComRef<ISpeechObjectTokens> tokens) : tokens_(std::move(tokens)) {}
    HResult count(int32_t &count) override {
        LONG n = 0;
        const HRESULT result = tokens_->get_Count(&n);
        count = SUCCEEDED(result) ? n : 0;
        return result;
    }
    HResult item(int32_t index, std::unique_ptr<platform::Sapi5Token> &token) override {
        ComRef<ISpeechObjectToken> item;
        const HRESULT result = tokens_->Item(index, item.out());
        if (SUCCEEDED(result) && item)
            token = std::make_unique<Token>(std::move(item));
        return result;
    }

private:
    ComRef<ISpeechObjectTokens> tokens_;
};

// The handle SpeakCompleteEvent gives belongs to the voice.
class CompleteEvent final : public platform::EngineEvent {
public:
    void setHandle(HANDLE handle) { handle_ = handle; }
    HANDLE handle() const { return handle_; }
    bool set() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }
    uint32_t wait(uint32_t ms) override { return WaitForSingleObject(handle_, ms); }

private:
    HANDLE handle_ = nullptr;
};

class Voice final : public platform::Sapi5Voice, public LiveEngine {
public:
    explicit Voice(ComRef<ISpeechVoice> voice) : voice_(std::move(voice)) {}
    ~Voice() override {
        if (connection_)
            connection_->Unadvise(cookie_);
        connection_.reset();
        voice_.reset();
    }

    // The voice's events come to a sink of ours; a voice without them
    // speaks all the same.
    void connectEvents(const IID &eventInterface) {
        ComRef<IConnectionPointContainer> container;
        if (FAILED(
                voice_->QueryInterface(__uuidof(IConnectionPointContainer), container.outVoid())) ||
            FAILED(container->FindConnectionPoint(eventInterface, connection_.out())))
            return;
        auto *events = new VoiceEvents(eventInterface);
        if (FAILED(connection_->Advise(events, &cookie_)))
            connection_.reset();
        events->Release();
    }

    HResult putEventInterests(int32_t interests) override {
        return voice_->put_EventInterests(static_cast<SpeechVoiceEvents>(interests));
    }
    HResult getVoices(const std::string &required, const std::string &optional,
                      std::unique_ptr<platform::Sapi5Tokens> &tokens) override {
        const Bstr requiredText(cp1252ToUtf16(required)), optionalText(cp1252ToUtf16(optional));
        ComRef<ISpeechObjectTokens> found;
        const HRESULT result =
            voice_->GetVoices(requiredText.get(), optionalText.get(), found.out());
        if (SUCCEEDED(result) && found)
            tokens = std::make_unique<Tokens>(std::move(found));
        return result;
    }
    HResult putVoice(const platform::Sapi5Token &token) override {
        return voice_->putref_Voice(static_cast<const Token &>(token).get());
    }
    HResult putRate(int32_t rate) override { return voice_->put_Rate(rate); }
    HResult speak(const std::u16string &text, int32_t flags) override {
        if ((flags & SVSFPurgeBeforeSpeak) && !completion_.set())
            platform::trace::engine("cancel");
        const Bstr spoken(text);
        LONG stream = 0;
        const HRESULT result =
            voice_->Speak(spoken.get(), static_cast<SpeechVoiceSpeakFlags>(flags), &stream);
        if (SUCCEEDED(result))
            platform::trace::engine("speak " + spoken.utf8());
        return result;
    }
    HResult speakCompleteEvent(platform::EngineEvent *&event) override {
        LONG handle = 0;
        const HRESULT result = voice_->SpeakCompleteEvent(&handle);
        if (FAILED(result) || handle == 0)
            return FAILED(result) ? result : E_HANDLE;
        completion_.setHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(handle)));
        event = &completion_;
        return result;
    }
    // While it speaks: a backend that waits for the engines waits for its end.
    bool awaitingNotifications() const override {
        return completion_.handle() && !completion_.set();
    }
    HANDLE doneEvent() const override { return completion_.handle(); }

private:
    ComRef<ISpeechVoice> voice_;
    ComRef<IConnectionPoint> connection_;
    DWORD cookie_ = 0;
    CompleteEvent completion_;
};

} // namespace

HResult createVoice(const platform::Guid &voiceClass, const platform::Guid &voiceInterface,
                    const platform::Guid &eventInterface,
                    std::unique_ptr<platform::Sapi5Voice> &voice) {
    if (windowsGuid(voiceInterface) != __uuidof(ISpeechVoice))
        return E_NOINTERFACE;
    ComRef<ISpeechVoice> created;
    const HRESULT result =
        CoCreateInstance(windowsGuid(voiceClass), nullptr, platform::ClsctxServers,
                         __uuidof(ISpeechVoice), created.outVoid());
    if (FAILED(result) || !created)
        return FAILED(result) ? result : E_NOINTERFACE;
    auto made = std::make_unique<Voice>(std::move(created));
    made->connectEvents(windowsGuid(eventInterface));
    voice = std::move(made);
    return result;
}

} // namespace win32_speech
