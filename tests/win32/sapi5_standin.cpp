// A stand-in SAPI 5 voice for the Wine checks, where no working SAPI 5 voice
// exists: an in-process COM server of both voice classes, offering
// ISpeechVoice with its voice tokens, the speak-complete event and the
// connection point of the voice's events. It logs every call with its
// arguments and "speaks" each text for a set time (standin_common.h); its
// events reach the connected sink on the creating thread, from a hidden
// window's procedure, as a real voice's do.
#include "platform/win32/win32_guid.h"
#include "tests/win32/standin_common.h"

#include <ocidl.h>
#include <olectl.h>
#include <sapi.h>

#include <string>
#include <vector>

namespace {

using standin::configuredResult;
using standin::hresultText;
using standin::log;
using standin::quoted;

constexpr const char *Engine = "sapi5";
constexpr CLSID StandardVoiceClass = win32_speech::windowsGuid(platform::guids::StandardVoiceClass);
constexpr CLSID SecondVoiceClass = win32_speech::windowsGuid(platform::guids::SecondVoiceClass);
constexpr IID VoiceEvents = win32_speech::windowsGuid(platform::guids::VoiceEventInterface);
constexpr IID NoInterface{};
constexpr DWORD SyncSpeakLimitMs = 10000;
constexpr DISPID StreamStart = 1, StreamEnd = 2;

std::string utf8(const wchar_t *text) {
    if (!text || !*text)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

// A text of the stand-in's settings (the ANSI code page) as a BSTR.
BSTR bstr(const std::string &text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
    return SysAllocString(wide.c_str());
}

HRESULT logged(const std::string &call, HRESULT result) {
    log(Engine, call + " -> " + hresultText(result));
    return result;
}

HRESULT notImplemented(const char *method) {
    return logged(std::string(method) + " (not expected)", E_NOTIMPL);
}

// IUnknown and IDispatch of an automation object with one interface; the
// dispatch methods are not used by vtable clients.
template <typename Interface> class Automation : public Interface, protected standin::Counted {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        *object = nullptr;
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IDispatch) && iid != __uuidof(Interface))
            return queryMore(iid, object);
        *object = static_cast<Interface *>(this);
        addRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *,
                                     EXCEPINFO *, UINT *) override {
        return E_NOTIMPL;
    }

protected:
    virtual HRESULT queryMore(REFIID, void **) { return E_NOINTERFACE; }
};

class Token final : public Automation<ISpeechObjectToken> {
public:
    Token(const standin::Voice &voice, size_t index) : voice_(voice), index_(index) {}
    size_t index() const { return index_; }

    HRESULT STDMETHODCALLTYPE get_Id(BSTR *id) override {
        *id = bstr("HKEY_LOCAL_MACHINE\\SOFTWARE\\ZebStandIn\\Voices\\" + voice_.name);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDescription(LONG, BSTR *description) override {
        *description = bstr(voice_.name);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAttribute(BSTR name, BSTR *value) override {
        const std::string attribute = utf8(name);
        char language[8];
        wsprintfA(language, "%X", voice_.language);
        if (attribute == "Language")
            *value = bstr(language);
        else if (attribute == "Name")
            *value = bstr(voice_.name);
        else
            return E_INVALIDARG;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_DataKey(ISpeechDataKey **) override {
        return notImplemented("Token.get_DataKey");
    }
    HRESULT STDMETHODCALLTYPE get_Category(ISpeechObjectTokenCategory **) override {
        return notImplemented("Token.get_Category");
    }
    HRESULT STDMETHODCALLTYPE SetId(BSTR, BSTR, VARIANT_BOOL) override {
        return notImplemented("Token.SetId");
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *, SpeechTokenContext, IUnknown **) override {
        return notImplemented("Token.CreateInstance");
    }
    HRESULT STDMETHODCALLTYPE Remove(BSTR) override { return notImplemented("Token.Remove"); }
    HRESULT STDMETHODCALLTYPE GetStorageFileName(BSTR, BSTR, BSTR, SpeechTokenShellFolder,
                                                 BSTR *) override {
        return notImplemented("Token.GetStorageFileName");
    }
    HRESULT STDMETHODCALLTYPE RemoveStorageFileName(BSTR, BSTR, VARIANT_BOOL) override {
        return notImplemented("Token.RemoveStorageFileName");
    }
    HRESULT STDMETHODCALLTYPE IsUISupported(const BSTR, const VARIANT *, IUnknown *,
                                            VARIANT_BOOL *) override {
        return notImplemented("Token.IsUISupported");
    }
    HRESULT STDMETHODCALLTYPE DisplayUI(LONG, BSTR, const BSTR, const VARIANT *,
                                        IUnknown *) override {
        return notImplemented("Token.DisplayUI");
    }
    HRESULT STDMETHODCALLTYPE MatchesAttributes(BSTR, VARIANT_BOOL *) override {
        return notImplemented("Token.MatchesAttributes");
    }

private:
    standin::Voice voice_;
    size_t index_;
};

class Tokens final : public Automation<ISpeechObjectTokens> {
public:
    explicit Tokens(std::vector<standin::Voice> voices) : voices_(std::move(voices)) {}
    HRESULT STDMETHODCALLTYPE get_Count(LONG *count) override {
        *count = static_cast<LONG>(voices_.size());
        return logged("Tokens.get_Count " + std::to_string(*count), S_OK);
    }
    HRESULT STDMETHODCALLTYPE Item(LONG index, ISpeechObjectToken **token) override {
        *token = nullptr;
        if (index < 0 || static_cast<size_t>(index) >= voices_.size())
            return logged("Tokens.Item " + std::to_string(index), E_INVALIDARG);
        *token = new Token(voices_[static_cast<size_t>(index)], static_cast<size_t>(index));
        return logged("Tokens.Item " + std::to_string(index), S_OK);
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown **) override {
        return notImplemented("Tokens.get__NewEnum");
    }

private:
    std::vector<standin::Voice> voices_;
};

class Voice;

// The voice's one connection point, for its event interface.
class Connection final : public standin::Unknown<IConnectionPoint> {
public:
    explicit Connection(IConnectionPointContainer &container)
        : Unknown(__uuidof(IConnectionPoint)), container_(container) {}
    ~Connection() override { dropSink(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID *iid) override {
        *iid = VoiceEvents;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer **c) override {
        *c = &container_;
        container_.AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown *sink, DWORD *cookie) override {
        HRESULT result = configuredResult("Advise");
        if (SUCCEEDED(result) && sink_)
            result = CONNECT_E_ADVISELIMIT;
        if (SUCCEEDED(result))
            result = sink->QueryInterface(VoiceEvents, reinterpret_cast<void **>(&sink_));
        *cookie = SUCCEEDED(result) ? 1 : 0;
        return logged("Advise", result);
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        const bool known = cookie == 1 && sink_;
        dropSink();
        return logged("Unadvise", known ? S_OK : CONNECT_E_NOCONNECTION);
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections **) override {
        return notImplemented("EnumConnections");
    }

    void fire(DISPID event, LONG stream) {
        if (!sink_)
            return;
        VARIANT arguments[2];
        VariantInit(&arguments[0]);
        VariantInit(&arguments[1]);
        arguments[0].vt = VT_I4; // the stream position, last argument first
        arguments[0].lVal = 0;
        arguments[1].vt = VT_I4;
        arguments[1].lVal = stream;
        DISPPARAMS parameters{arguments, nullptr, 2, 0};
        sink_->Invoke(event, NoInterface, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr,
                      nullptr);
    }

private:
    void dropSink() {
        if (sink_)
            sink_->Release();
        sink_ = nullptr;
    }
    IConnectionPointContainer &container_;
    IDispatch *sink_ = nullptr;
};

class Voice final : public Automation<ISpeechVoice>,
                    public IConnectionPointContainer,
                    public standin::Speaker::Listener {
public:
    Voice() : connection_(new Connection(*this)), speaker_(*this) {}
    ~Voice() override {
        log(Engine, std::string("voice destroyed ") + (speaker_.speaking() ? "speaking" : "idle"));
        connection_->Release();
    }

    // IConnectionPointContainer shares the voice's IUnknown.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        return Automation::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(); }
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints **) override {
        return notImplemented("EnumConnectionPoints");
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint **point) override {
        *point = nullptr;
        if (iid != VoiceEvents)
            return logged("FindConnectionPoint " + standin::guidText(iid), CONNECT_E_NOCONNECTION);
        *point = connection_;
        connection_->AddRef();
        return logged("FindConnectionPoint " + standin::guidText(iid), S_OK);
    }

    HRESULT STDMETHODCALLTYPE put_EventInterests(SpeechVoiceEvents interests) override {
        return logged("put_EventInterests " + std::to_string(static_cast<long>(interests)),
                      configuredResult("put_EventInterests"));
    }
    HRESULT STDMETHODCALLTYPE GetVoices(BSTR required, BSTR optional,
                                        ISpeechObjectTokens **tokens) override {
        *tokens = nullptr;
        const HRESULT result = configuredResult("GetVoices");
        if (SUCCEEDED(result))
            *tokens = new Tokens(standin::configuredVoices());
        return logged("GetVoices " + quoted(utf8(required)) + " " + quoted(utf8(optional)), result);
    }
    HRESULT STDMETHODCALLTYPE putref_Voice(ISpeechObjectToken *token) override {
        BSTR name = nullptr;
        if (token)
            token->GetDescription(0, &name);
        const std::string chosen = utf8(name);
        SysFreeString(name);
        return logged("putref_Voice " + chosen, configuredResult("putref_Voice"));
    }
    HRESULT STDMETHODCALLTYPE put_Rate(LONG rate) override {
        return logged("put_Rate " + std::to_string(rate), configuredResult("put_Rate"));
    }
    HRESULT STDMETHODCALLTYPE SpeakCompleteEvent(LONG *handle) override {
        const HRESULT result = configuredResult("SpeakCompleteEvent");
        *handle = SUCCEEDED(result)
                      ? static_cast<LONG>(reinterpret_cast<INT_PTR>(speaker_.completion()))
                      : 0;
        return logged("SpeakCompleteEvent", result);
    }
    HRESULT STDMETHODCALLTYPE Speak(BSTR text, SpeechVoiceSpeakFlags flags, LONG *stream) override {
        const HRESULT result = configuredResult("Speak");
        logged("Speak " + std::to_string(static_cast<long>(flags)) + " " + quoted(utf8(text)),
               result);
        if (FAILED(result))
            return result;
        if (flags & SVSFPurgeBeforeSpeak)
            speaker_.purge();
        const unsigned id = speaker_.say(text ? SysStringLen(text) : 0);
        if (stream)
            *stream = static_cast<LONG>(id);
        if (!(flags & SVSFlagsAsync))
            WaitForSingleObject(speaker_.completion(), SyncSpeakLimitMs);
        return result;
    }

    void spoken(standin::Speaker::Event event, unsigned text) override {
        using Event = standin::Speaker::Event;
        if (event == Event::Queued)
            return;
        const bool start = event == Event::Begun;
        log(Engine,
            std::string(start ? "event StartStream " : "event EndStream ") + std::to_string(text) +
                " " + standin::threadNote(speaker_.creatorThread(), speaker_.inWindowProcedure()));
        connection_->fire(start ? StreamStart : StreamEnd, static_cast<LONG>(text));
    }

    HRESULT STDMETHODCALLTYPE get_Status(ISpeechVoiceStatus **) override {
        return notImplemented("get_Status");
    }
    HRESULT STDMETHODCALLTYPE get_Voice(ISpeechObjectToken **) override {
        return notImplemented("get_Voice");
    }
    HRESULT STDMETHODCALLTYPE get_AudioOutput(ISpeechObjectToken **) override {
        return notImplemented("get_AudioOutput");
    }
    HRESULT STDMETHODCALLTYPE putref_AudioOutput(ISpeechObjectToken *) override {
        return notImplemented("putref_AudioOutput");
    }
    HRESULT STDMETHODCALLTYPE get_AudioOutputStream(ISpeechBaseStream **) override {
        return notImplemented("get_AudioOutputStream");
    }
    HRESULT STDMETHODCALLTYPE putref_AudioOutputStream(ISpeechBaseStream *) override {
        return notImplemented("putref_AudioOutputStream");
    }
    HRESULT STDMETHODCALLTYPE get_Rate(LONG *) override { return notImplemented("get_Rate"); }
    HRESULT STDMETHODCALLTYPE get_Volume(LONG *) override { return notImplemented("get_Volume"); }
    HRESULT STDMETHODCALLTYPE put_Volume(LONG) override { return notImplemented("put_Volume"); }
    HRESULT STDMETHODCALLTYPE put_AllowAudioOutputFormatChangesOnNextSet(VARIANT_BOOL) override {
        return notImplemented("put_AllowAudioOutputFormatChangesOnNextSet");
    }
    HRESULT STDMETHODCALLTYPE get_AllowAudioOutputFormatChangesOnNextSet(VARIANT_BOOL *) override {
        return notImplemented("get_AllowAudioOutputFormatChangesOnNextSet");
    }
    HRESULT STDMETHODCALLTYPE get_EventInterests(SpeechVoiceEvents *) override {
        return notImplemented("get_EventInterests");
    }
    HRESULT STDMETHODCALLTYPE put_Priority(SpeechVoicePriority) override {
        return notImplemented("put_Priority");
    }
    HRESULT STDMETHODCALLTYPE get_Priority(SpeechVoicePriority *) override {
        return notImplemented("get_Priority");
    }
    HRESULT STDMETHODCALLTYPE put_AlertBoundary(SpeechVoiceEvents) override {
        return notImplemented("put_AlertBoundary");
    }
    HRESULT STDMETHODCALLTYPE get_AlertBoundary(SpeechVoiceEvents *) override {
        return notImplemented("get_AlertBoundary");
    }
    HRESULT STDMETHODCALLTYPE put_SynchronousSpeakTimeout(LONG) override {
        return notImplemented("put_SynchronousSpeakTimeout");
    }
    HRESULT STDMETHODCALLTYPE get_SynchronousSpeakTimeout(LONG *) override {
        return notImplemented("get_SynchronousSpeakTimeout");
    }
    HRESULT STDMETHODCALLTYPE SpeakStream(ISpeechBaseStream *, SpeechVoiceSpeakFlags,
                                          LONG *) override {
        return notImplemented("SpeakStream");
    }
    HRESULT STDMETHODCALLTYPE Pause() override { return notImplemented("Pause"); }
    HRESULT STDMETHODCALLTYPE Resume() override { return notImplemented("Resume"); }
    HRESULT STDMETHODCALLTYPE Skip(const BSTR, LONG, LONG *) override {
        return notImplemented("Skip");
    }
    HRESULT STDMETHODCALLTYPE GetAudioOutputs(BSTR, BSTR, ISpeechObjectTokens **) override {
        return notImplemented("GetAudioOutputs");
    }
    HRESULT STDMETHODCALLTYPE WaitUntilDone(LONG, VARIANT_BOOL *) override {
        return notImplemented("WaitUntilDone");
    }
    HRESULT STDMETHODCALLTYPE IsUISupported(const BSTR, const VARIANT *, VARIANT_BOOL *) override {
        return notImplemented("IsUISupported");
    }
    HRESULT STDMETHODCALLTYPE DisplayUI(LONG, BSTR, const BSTR, const VARIANT *) override {
        return notImplemented("DisplayUI");
    }

protected:
    HRESULT queryMore(REFIID iid, void **object) override {
        if (iid != __uuidof(IConnectionPointContainer))
            return E_NOINTERFACE;
        *object = static_cast<IConnectionPointContainer *>(this);
        addRef();
        return S_OK;
    }

private:
    Connection *connection_;
    standin::Speaker speaker_;
};

HRESULT makeVoice(const CLSID &voiceClass, REFIID iid, void **object) {
    HRESULT result = configuredResult("CreateInstance");
    if (SUCCEEDED(result)) {
        auto *voice = new Voice;
        result = voice->QueryInterface(iid, object);
        voice->Release();
    }
    return logged("CreateInstance " + standin::guidText(voiceClass) + " " + standin::guidText(iid),
                  result);
}

} // namespace

const std::vector<standin::ServedClass> &standin::servedClasses() {
    static const std::vector<standin::ServedClass> served{{StandardVoiceClass, makeVoice},
                                                          {SecondVoiceClass, makeVoice}};
    return served;
}
