// SAPI 4 on Windows: the multimedia audio destination, the enumerator of
// engine modes, the engine and its attributes, and the client's two
// notification objects as reference-counted COM objects. The engine calls
// them on the thread that registered them, while it dispatches its own
// window messages; they forward to the client's sinks and keep what the
// headless backend needs to know (whether notifications are still to come).
#include "platform/cp1252.h"
#include "platform/platform.h"
#include "platform/win32/sapi4.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_speech.h"

#include <map>
#include <memory>

namespace win32_speech {
namespace {

using platform::HResult;

// Texts the engine took whose TextDataDone has not come, and whether its
// audio runs: while either holds, notifications are still to come.
struct Progress {
    int32_t texts = 0;
    bool audio = false;
    bool awaiting() const { return texts > 0 || audio; }
};

// A notification object: one interface besides IUnknown, and the engine's
// progress it keeps.
template <typename Interface> class SinkObject : public ComObject<Interface> {
public:
    SinkObject(const IID &iid, std::shared_ptr<Progress> progress)
        : ComObject<Interface>({iid}), progress_(std::move(progress)) {}

protected:
    Progress &progress() { return *progress_; }

private:
    std::shared_ptr<Progress> progress_;
};

class NotifySink final : public SinkObject<sapi4::ITTSNotifySinkA> {
public:
    NotifySink(std::shared_ptr<platform::Sapi4NotifySink> sink, std::shared_ptr<Progress> progress)
        : SinkObject(sapi4::IID_ITTSNotifySinkA, std::move(progress)), sink_(std::move(sink)) {}
    HRESULT STDMETHODCALLTYPE AttribChanged(DWORD attribute) override {
        return sink_->attribChanged(attribute);
    }
    HRESULT STDMETHODCALLTYPE AudioStart(sapi4::QWORD time) override {
        progress().audio = true;
        platform::trace::engine("begin");
        return sink_->audioStart(time);
    }
    HRESULT STDMETHODCALLTYPE AudioStop(sapi4::QWORD time) override {
        progress().audio = false;
        return sink_->audioStop(time);
    }
    HRESULT STDMETHODCALLTYPE Visual(sapi4::QWORD time, CHAR, CHAR, DWORD,
                                     sapi4::TTSMOUTH *) override {
        return sink_->visual(time);
    }

private:
    std::shared_ptr<platform::Sapi4NotifySink> sink_;
};

class BufNotifySink final : public SinkObject<sapi4::ITTSBufNotifySink> {
public:
    BufNotifySink(std::shared_ptr<platform::Sapi4BufNotifySink> sink,
                  std::shared_ptr<Progress> progress)
        : SinkObject(sapi4::IID_ITTSBufNotifySink, std::move(progress)), sink_(std::move(sink)) {}
    HRESULT STDMETHODCALLTYPE TextDataDone(sapi4::QWORD time, DWORD flags) override {
        if (progress().texts > 0)
            --progress().texts;
        platform::trace::engine("end");
        return sink_->textDataDone(time, flags);
    }
    HRESULT STDMETHODCALLTYPE TextDataStarted(sapi4::QWORD time) override {
        return sink_->textDataStarted(time);
    }
    HRESULT STDMETHODCALLTYPE BookMark(sapi4::QWORD time, DWORD mark) override {
        return sink_->bookMark(time, mark);
    }
    HRESULT STDMETHODCALLTYPE WordPosition(sapi4::QWORD time, DWORD byteOffset) override {
        return sink_->wordPosition(time, byteOffset);
    }

private:
    std::shared_ptr<platform::Sapi4BufNotifySink> sink_;
};

class AudioDest final : public platform::Sapi4AudioDest {
public:
    explicit AudioDest(ComRef<IUnknown> audio) : audio_(std::move(audio)) {}
    IUnknown *get() const { return audio_.get(); }

private:
    ComRef<IUnknown> audio_;
};

class Attributes final : public platform::Sapi4Attributes {
public:
    explicit Attributes(ComRef<sapi4::ITTSAttributesA> attributes)
        : attributes_(std::move(attributes)) {}
    HResult speedSet(uint32_t speed) override { return attributes_->SpeedSet(speed); }
    HResult pitchSet(uint16_t pitch) override { return attributes_->PitchSet(pitch); }

private:
    ComRef<sapi4::ITTSAttributesA> attributes_;
};

class Central final : public platform::Sapi4Central, public LiveEngine {
public:
    explicit Central(ComRef<sapi4::ITTSCentralA> engine) : engine_(std::move(engine)) {}
    ~Central() override {
        registered_.clear();
        bufferSink_.reset();
        engine_.reset();
    }

    HResult registerSink(std::shared_ptr<platform::Sapi4NotifySink> sink,
                         const platform::Guid &sinkInterface, uint32_t &key) override {
        if (!sink)
            return E_INVALIDARG;
        ComRef<NotifySink> object(new NotifySink(std::move(sink), progress_));
        DWORD registration = 0;
        const HRESULT result =
            engine_->Register(object.get(), windowsGuid(sinkInterface), &registration);
        if (SUCCEEDED(result)) {
            key = registration;
            registered_[registration] = std::move(object);
        }
        return result;
    }
    HResult unRegister(uint32_t key) override {
        const HRESULT result = engine_->UnRegister(key);
        registered_.erase(key);
        return result;
    }
    HResult textData(uint32_t charset, uint32_t flags, const char *data, uint32_t size,
                     std::shared_ptr<platform::Sapi4BufNotifySink> sink,
                     const platform::Guid &sinkInterface) override {
        if (!data || !sink)
            return E_INVALIDARG;
        const sapi4::SDATA text{const_cast<char *>(data), size};
        const HRESULT result =
            engine_->TextData(static_cast<sapi4::VOICECHARSET>(charset), flags, text,
                              bufferSinkFor(std::move(sink)), windowsGuid(sinkInterface));
        if (SUCCEEDED(result)) {
            ++progress_->texts;
            const size_t length = size > 0 && data[size - 1] == '\0' ? size - 1 : size;
            platform::trace::engine("speak " + platform::cp1252ToUtf8(std::string(data, length)));
        }
        return result;
    }
    HResult audioReset() override {
        const bool sounding = progress_->awaiting();
        const HRESULT result = engine_->AudioReset();
        if (SUCCEEDED(result)) {
            // Whatever the engine still reports of the texts it dropped, the
            // client no longer waits for it.
            *progress_ = Progress{};
            if (sounding)
                platform::trace::engine("cancel");
        }
        return result;
    }
    HResult queryAttributes(const platform::Guid &attributesInterface,
                            std::unique_ptr<platform::Sapi4Attributes> &attributes) override {
        if (windowsGuid(attributesInterface) != sapi4::IID_ITTSAttributesA)
            return E_NOINTERFACE;
        ComRef<sapi4::ITTSAttributesA> found;
        const HRESULT result = engine_->QueryInterface(sapi4::IID_ITTSAttributesA, found.outVoid());
        if (SUCCEEDED(result) && found)
            attributes = std::make_unique<Attributes>(std::move(found));
        return result;
    }
    bool awaitingNotifications() const override { return progress_->awaiting(); }

private:
    // One notification object for the client's buffer sink, passed with
    // every text.
    BufNotifySink *bufferSinkFor(std::shared_ptr<platform::Sapi4BufNotifySink> sink) {
        if (!bufferSink_ || bufferSinkOf_ != sink.get()) {
            bufferSinkOf_ = sink.get();
            bufferSink_ = ComRef<BufNotifySink>(new BufNotifySink(std::move(sink), progress_));
        }
        return bufferSink_.get();
    }

    ComRef<sapi4::ITTSCentralA> engine_;
    std::shared_ptr<Progress> progress_ = std::make_shared<Progress>();
    std::map<DWORD, ComRef<NotifySink>> registered_;
    ComRef<BufNotifySink> bufferSink_;
    const platform::Sapi4BufNotifySink *bufferSinkOf_ = nullptr;
};

// The fixed-size texts of a mode, up to their NUL.
template <size_t N> std::string modeText(const CHAR (&text)[N]) {
    size_t length = 0;
    while (length < N && text[length] != '\0')
        ++length;
    return ansiToUtf8(std::string(text, length).c_str());
}

platform::Sapi4ModeInfo modeOf(const sapi4::TTSMODEINFOA &info) {
    platform::Sapi4ModeInfo mode;
    mode.engineId = platformGuid(info.gEngineID);
    mode.manufacturer = modeText(info.szMfgName);
    mode.product = modeText(info.szProductName);
    mode.modeId = platformGuid(info.gModeID);
    mode.modeName = modeText(info.szModeName);
    mode.dialect = modeText(info.language.szDialect);
    mode.speaker = modeText(info.szSpeaker);
    mode.style = modeText(info.szStyle);
    mode.languageId = info.language.LanguageID;
    mode.gender = info.wGender;
    mode.age = info.wAge;
    mode.features = info.dwFeatures;
    mode.interfaces = info.dwInterfaces;
    mode.engineFeatures = info.dwEngineFeatures;
    return mode;
}

class Enumerator final : public platform::Sapi4Enum {
public:
    explicit Enumerator(ComRef<sapi4::ITTSEnumA> enumerator) : enumerator_(std::move(enumerator)) {}
    HResult reset() override { return enumerator_->Reset(); }
    // The record keeps the last mode when none is left (S_FALSE).
    HResult next(platform::Sapi4ModeInfo &mode) override {
        sapi4::TTSMODEINFOA info{};
        ULONG fetched = 0;
        const HRESULT result = enumerator_->Next(1, &info, &fetched);
        if (result == S_OK)
            mode = modeOf(info);
        return result;
    }
    HResult select(const platform::Guid &modeId, std::unique_ptr<platform::Sapi4Central> &engine,
                   std::shared_ptr<platform::Sapi4AudioDest> audio) override {
        const auto *destination = dynamic_cast<const AudioDest *>(audio.get());
        ComRef<sapi4::ITTSCentralA> central;
        const HRESULT result = enumerator_->Select(windowsGuid(modeId), central.out(),
                                                   destination ? destination->get() : nullptr);
        if (FAILED(result) || !central)
            return FAILED(result) ? result : E_POINTER;
        engine = std::make_unique<Central>(std::move(central));
        return result;
    }

private:
    ComRef<sapi4::ITTSEnumA> enumerator_;
};

} // namespace

HResult createAudioDest(const platform::Guid &classId, uint32_t context,
                        const platform::Guid &interfaceId,
                        std::shared_ptr<platform::Sapi4AudioDest> &audio) {
    ComRef<IUnknown> created;
    const HRESULT result = CoCreateInstance(windowsGuid(classId), nullptr, context,
                                            windowsGuid(interfaceId), created.outVoid());
    if (FAILED(result) || !created)
        return FAILED(result) ? result : E_NOINTERFACE;
    audio = std::make_shared<AudioDest>(std::move(created));
    return result;
}

HResult createEnumerator(const platform::Guid &classId, uint32_t context,
                         const platform::Guid &interfaceId,
                         std::unique_ptr<platform::Sapi4Enum> &enumerator) {
    if (windowsGuid(interfaceId) != sapi4::IID_ITTSEnumA)
        return E_NOINTERFACE;
    ComRef<sapi4::ITTSEnumA> created;
    const HRESULT result = CoCreateInstance(windowsGuid(classId), nullptr, context,
                                            sapi4::IID_ITTSEnumA, created.outVoid());
    if (FAILED(result) || !created)
        return FAILED(result) ? result : E_NOINTERFACE;
    enumerator = std::make_unique<Enumerator>(std::move(created));
    return result;
}

} // namespace win32_speech
