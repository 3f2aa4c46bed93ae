// A stand-in SAPI 4 text-to-speech engine for the Wine checks, which have no
// SAPI 4 at all: an in-process COM server of the enumerator and the
// multimedia audio destination, whose Select makes the engine (ITTSCentralA
// with ITTSAttributesA). It logs every call with its arguments and "speaks"
// each text for a set time (standin_common.h); it calls the application's
// notification objects on the creating thread from a hidden window's
// procedure, so only while that thread pumps its messages, as SAPI 4
// engines do.
#include "platform/win32/sapi4.h"
#include "tests/win32/standin_common.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using standin::configuredResult;
using standin::guidText;
using standin::hresultText;
using standin::log;
using standin::quoted;

constexpr const char *Engine = "sapi4";
// The stand-in's own engine identifier; its modes are numbered after it.
constexpr GUID EngineId{
    0x5A4D0000, 0x5354, 0x4E44, {0x49, 0x4E, 0x45, 0x4E, 0x47, 0x49, 0x4E, 0x45}};

HRESULT logged(const std::string &call, HRESULT result) {
    log(Engine, call + " -> " + hresultText(result));
    return result;
}

HRESULT notImplemented(const char *method) {
    return logged(std::string(method) + " (not expected)", E_NOTIMPL);
}

GUID modeId(size_t index) {
    GUID id = EngineId;
    id.Data1 += static_cast<DWORD>(index + 1);
    return id;
}

template <size_t N> void copyText(CHAR (&to)[N], const std::string &from) {
    std::strncpy(to, from.c_str(), N - 1);
    to[N - 1] = '\0';
}

sapi4::TTSMODEINFOA modeOf(const standin::Voice &voice, size_t index) {
    sapi4::TTSMODEINFOA mode{};
    mode.gEngineID = EngineId;
    copyText(mode.szMfgName, "Zeb");
    copyText(mode.szProductName, "Stand-in engine");
    mode.gModeID = modeId(index);
    copyText(mode.szModeName, voice.name);
    mode.language.LanguageID = voice.language;
    copyText(mode.language.szDialect, voice.language == 0x416 ? "Brasil" : "");
    copyText(mode.szSpeaker, voice.name);
    copyText(mode.szStyle, "Normal");
    return mode;
}

class AudioDest final : public standin::Unknown<sapi4::IAudioMultiMediaDevice> {
public:
    AudioDest() : Unknown(sapi4::IID_IAudioMultiMediaDevice) {}
    ~AudioDest() override { log(Engine, "audio destination destroyed"); }
    HRESULT STDMETHODCALLTYPE CustomMessage(UINT, sapi4::SDATA) override {
        return notImplemented("CustomMessage");
    }
    HRESULT STDMETHODCALLTYPE DeviceNumGet(DWORD *device) override {
        *device = WAVE_MAPPER;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeviceNumSet(DWORD) override {
        return notImplemented("DeviceNumSet");
    }
};

class Central final : public sapi4::ITTSCentralA,
                      public sapi4::ITTSAttributesA,
                      public standin::Speaker::Listener,
                      protected standin::Counted {
public:
    Central(std::string mode, IUnknown *audio)
        : mode_(std::move(mode)), audio_(audio), speaker_(*this) {
        audio_->AddRef();
    }
    ~Central() override {
        log(Engine, "engine " + mode_ + " destroyed " +
                        std::string(texts_.empty() ? "idle" : "speaking") + ", " +
                        std::to_string(sinks_.size()) + " sinks registered");
        for (auto &[key, sink] : sinks_)
            sink->Release();
        for (auto &[text, sink] : texts_)
            sink->Release();
        audio_->Release();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        *object = nullptr;
        if (iid == __uuidof(IUnknown)) {
            *object = static_cast<sapi4::ITTSCentralA *>(this);
            addRef();
            return S_OK;
        }
        if (iid != sapi4::IID_ITTSAttributesA)
            return E_NOINTERFACE;
        const HRESULT result = configuredResult("QueryInterface");
        if (SUCCEEDED(result)) {
            *object = static_cast<sapi4::ITTSAttributesA *>(this);
            addRef();
        }
        return logged("QueryInterface " + guidText(iid), result);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(); }

    HRESULT STDMETHODCALLTYPE Register(void *sink, IID iid, DWORD *key) override {
        HRESULT result = configuredResult("Register");
        sapi4::ITTSNotifySinkA *notify = nullptr;
        if (SUCCEEDED(result))
            result = static_cast<IUnknown *>(sink)->QueryInterface(
                iid, reinterpret_cast<void **>(&notify));
        if (SUCCEEDED(result)) {
            *key = nextKey_++;
            sinks_[*key] = notify;
        }
        return logged("Register " + guidText(iid), result);
    }
    HRESULT STDMETHODCALLTYPE UnRegister(DWORD key) override {
        const auto found = sinks_.find(key);
        if (found == sinks_.end())
            return logged("UnRegister " + std::to_string(key), E_INVALIDARG);
        found->second->Release();
        sinks_.erase(found);
        return logged("UnRegister " + std::to_string(key), S_OK);
    }
    HRESULT STDMETHODCALLTYPE TextData(sapi4::VOICECHARSET charset, DWORD flags, sapi4::SDATA text,
                                       void *sink, IID iid) override {
        const char *data = static_cast<const char *>(text.pData);
        const std::string spoken =
            data ? std::string(data, strnlen(data, text.dwSize)) : std::string();
        HRESULT result = configuredResult("TextData");
        sapi4::ITTSBufNotifySink *buffer = nullptr;
        if (SUCCEEDED(result) && sink)
            result = static_cast<IUnknown *>(sink)->QueryInterface(
                iid, reinterpret_cast<void **>(&buffer));
        logged("TextData " + std::to_string(charset) + " " + std::to_string(flags) + " " +
                   std::to_string(text.dwSize) + " " + guidText(iid) + " " + quoted(spoken),
               result);
        if (FAILED(result))
            return result;
        texts_[speaker_.say(spoken.size())] = buffer;
        return result;
    }
    HRESULT STDMETHODCALLTYPE AudioReset() override {
        const HRESULT result = configuredResult("AudioReset");
        if (SUCCEEDED(result))
            speaker_.purge();
        return logged("AudioReset", result);
    }
    HRESULT STDMETHODCALLTYPE SpeedSet(DWORD speed) override {
        return logged("SpeedSet " + std::to_string(speed), configuredResult("SpeedSet"));
    }
    HRESULT STDMETHODCALLTYPE PitchSet(WORD pitch) override {
        return logged("PitchSet " + std::to_string(pitch), configuredResult("PitchSet"));
    }

    void spoken(standin::Speaker::Event event, unsigned text) override {
        using Event = standin::Speaker::Event;
        const auto found = texts_.find(text);
        if (found == texts_.end())
            return;
        sapi4::ITTSBufNotifySink *buffer = found->second;
        switch (event) {
        case Event::Queued:
            note("TextDataStarted", buffer ? buffer->TextDataStarted(0) : S_OK);
            break;
        case Event::Begun:
            if (!audio_active_) {
                audio_active_ = true;
                for (auto &[key, sink] : sinks_)
                    note("AudioStart", sink->AudioStart(0));
            }
            note("WordPosition 0", buffer ? buffer->WordPosition(0, 0) : S_OK);
            break;
        case Event::Ended:
        case Event::Dropped:
            texts_.erase(found);
            note(event == Event::Ended ? "TextDataDone" : "TextDataDone (dropped)",
                 buffer ? buffer->TextDataDone(0, 0) : S_OK);
            if (buffer)
                buffer->Release();
            if (texts_.empty() && audio_active_) {
                audio_active_ = false;
                for (auto &[key, sink] : sinks_)
                    note("AudioStop", sink->AudioStop(0));
            }
            break;
        }
    }

    HRESULT STDMETHODCALLTYPE Inject(const CHAR *) override { return notImplemented("Inject"); }
    HRESULT STDMETHODCALLTYPE ModeGet(sapi4::TTSMODEINFOA *) override {
        return notImplemented("ModeGet");
    }
    HRESULT STDMETHODCALLTYPE Phoneme(sapi4::VOICECHARSET, DWORD, sapi4::SDATA,
                                      sapi4::SDATA *) override {
        return notImplemented("Phoneme");
    }
    HRESULT STDMETHODCALLTYPE PosnGet(sapi4::QWORD *) override { return notImplemented("PosnGet"); }
    HRESULT STDMETHODCALLTYPE ToFileTime(sapi4::QWORD *, FILETIME *) override {
        return notImplemented("ToFileTime");
    }
    HRESULT STDMETHODCALLTYPE AudioPause() override { return notImplemented("AudioPause"); }
    HRESULT STDMETHODCALLTYPE AudioResume() override { return notImplemented("AudioResume"); }
    HRESULT STDMETHODCALLTYPE PitchGet(WORD *) override { return notImplemented("PitchGet"); }
    HRESULT STDMETHODCALLTYPE RealTimeGet(DWORD *) override {
        return notImplemented("RealTimeGet");
    }
    HRESULT STDMETHODCALLTYPE RealTimeSet(DWORD) override { return notImplemented("RealTimeSet"); }
    HRESULT STDMETHODCALLTYPE SpeedGet(DWORD *) override { return notImplemented("SpeedGet"); }
    HRESULT STDMETHODCALLTYPE VolumeGet(DWORD *) override { return notImplemented("VolumeGet"); }
    HRESULT STDMETHODCALLTYPE VolumeSet(DWORD) override { return notImplemented("VolumeSet"); }

private:
    // A notification delivered to the application, with where it ran.
    void note(const char *what, HRESULT result) {
        logged(std::string(what) + " " +
                   standin::threadNote(speaker_.creatorThread(), speaker_.inWindowProcedure()),
               result);
    }

    std::string mode_;
    IUnknown *audio_;
    standin::Speaker speaker_;
    std::map<DWORD, sapi4::ITTSNotifySinkA *> sinks_;
    std::map<unsigned, sapi4::ITTSBufNotifySink *> texts_; // queued, by the speaker's number
    DWORD nextKey_ = 1;
    bool audio_active_ = false;
};

class Enumerator final : public standin::Unknown<sapi4::ITTSEnumA> {
public:
    Enumerator() : Unknown(sapi4::IID_ITTSEnumA) {}
    ~Enumerator() override { log(Engine, "enumerator destroyed"); }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, sapi4::TTSMODEINFOA *modes,
                                   ULONG *fetched) override {
        const HRESULT failure = configuredResult("Next");
        if (FAILED(failure))
            return logged("Next " + std::to_string(count), failure);
        ULONG given = 0;
        std::string names;
        for (; given < count && position_ < voices_.size(); ++given, ++position_) {
            modes[given] = modeOf(voices_[position_], position_);
            names += " " + voices_[position_].name;
        }
        if (fetched)
            *fetched = given;
        return logged("Next " + std::to_string(count) + (given ? names : " none"),
                      given == count ? S_OK : S_FALSE);
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return logged("Reset", S_OK);
    }
    HRESULT STDMETHODCALLTYPE Select(GUID mode, sapi4::ITTSCentralA **central,
                                     IUnknown *audio) override {
        *central = nullptr;
        std::string name;
        for (size_t i = 0; i < voices_.size(); ++i)
            if (modeId(i) == mode)
                name = voices_[i].name;
        HRESULT result = configuredResult("Select");
        sapi4::IAudioMultiMediaDevice *device = nullptr;
        if (SUCCEEDED(result) && (name.empty() || !audio))
            result = E_INVALIDARG;
        if (SUCCEEDED(result))
            result = audio->QueryInterface(sapi4::IID_IAudioMultiMediaDevice,
                                           reinterpret_cast<void **>(&device));
        if (SUCCEEDED(result)) {
            *central = new Central(name, device);
            device->Release();
        }
        return logged("Select " + guidText(mode) + " " + (name.empty() ? "?" : name), result);
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return notImplemented("Skip"); }
    HRESULT STDMETHODCALLTYPE Clone(sapi4::ITTSEnumA **) override {
        return notImplemented("Clone");
    }

private:
    std::vector<standin::Voice> voices_ = standin::configuredVoices();
    size_t position_ = 0;
};

template <typename Object> HRESULT make(const CLSID &classId, REFIID iid, void **object) {
    HRESULT result = configuredResult("CreateInstance");
    if (SUCCEEDED(result)) {
        auto *made = new Object;
        result = made->QueryInterface(iid, object);
        made->Release();
    }
    return logged("CreateInstance " + guidText(classId) + " " + guidText(iid), result);
}

} // namespace

const std::vector<standin::ServedClass> &standin::servedClasses() {
    static const std::vector<standin::ServedClass> served{
        {sapi4::CLSID_MMAudioDest, make<AudioDest>},
        {sapi4::CLSID_TTSEnumerator, make<Enumerator>}};
    return served;
}
