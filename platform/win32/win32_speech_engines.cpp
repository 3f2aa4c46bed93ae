// The speech engines of the Windows host: the installed SAPI 5 voices and
// SAPI 4 engines, reached through COM on the program's one thread. Their
// notifications come through the thread's message queue: the win32
// backend's pumps dispatch them with every other message; for the headless
// backend, which has no Windows queue of its own, pumpQueue serves it.
#include "platform/cp1252.h"
#include "platform/host_speech_engines.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_speech.h"

#include <algorithm>
#include <vector>

namespace win32_speech {

namespace {

struct HostState {
    std::vector<const LiveEngine *> live;
    bool comStarted = false;
};

HostState &hostState() {
    static HostState state;
    return state;
}

} // namespace

LiveEngine::LiveEngine() {
    hostState().live.push_back(this);
}

LiveEngine::~LiveEngine() {
    std::erase(hostState().live, this);
}

Bstr::Bstr(const std::u16string &text)
    : s_(SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.data()),
                           static_cast<UINT>(text.size()))) {}

std::string Bstr::utf8() const {
    return s_ ? utf16ToUtf8(s_, SysStringLen(s_)) : std::string();
}

std::u16string cp1252ToUtf16(const std::string &text) {
    std::u16string wide;
    for (const char c : text)
        if (const uint32_t code = platform::cp1252ToUnicode(static_cast<uint8_t>(c)); code != 0)
            wide += static_cast<char16_t>(code);
    return wide;
}

std::string utf16ToUtf8(const wchar_t *text, size_t length) {
    if (length == 0)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), size, nullptr,
                        nullptr);
    return out;
}

std::string ansiToUtf8(const char *text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (size <= 1)
        return {};
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    return utf16ToUtf8(wide.c_str(), static_cast<size_t>(size - 1));
}

} // namespace win32_speech

namespace {

using namespace platform;
using win32_speech::hostState;

class WindowsEngines final : public SpeechEngineHost {
public:
    HResult createSapi5Voice(const Guid &voiceClass, const Guid &voiceInterface,
                             const Guid &eventInterface,
                             std::unique_ptr<Sapi5Voice> &voice) override {
        return win32_speech::createVoice(voiceClass, voiceInterface, eventInterface, voice);
    }
    HResult createSapi4AudioDest(const Guid &classId, uint32_t context, const Guid &interfaceId,
                                 std::shared_ptr<Sapi4AudioDest> &audio) override {
        return win32_speech::createAudioDest(classId, context, interfaceId, audio);
    }
    HResult createSapi4Enumerator(const Guid &classId, uint32_t context, const Guid &interfaceId,
                                  std::unique_ptr<Sapi4Enum> &enumerator) override {
        return win32_speech::createEnumerator(classId, context, interfaceId, enumerator);
    }
    void serveNotifications() override { pumpQueue(0); }
    bool notificationsAwaited() override {
        const auto &live = hostState().live;
        return std::any_of(live.begin(), live.end(),
                           [](const auto *engine) { return engine->awaitingNotifications(); });
    }
    // Only while an engine object lives: the queue is otherwise left alone.
    bool pumpQueue(uint32_t ms) override {
        if (hostState().live.empty())
            return false;
        MSG msg;
        if (ms > 0 && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            std::vector<HANDLE> done;
            for (const auto *engine : hostState().live)
                if (engine->awaitingNotifications() && engine->doneEvent() &&
                    done.size() < MAXIMUM_WAIT_OBJECTS - 1)
                    done.push_back(engine->doneEvent());
            MsgWaitForMultipleObjects(static_cast<DWORD>(done.size()), done.data(), FALSE, ms,
                                      QS_ALLINPUT);
        }
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return true;
    }
    HResult initializeComThread() override {
        auto &state = hostState();
        if (state.comStarted)
            return SOk;
        const HRESULT result = CoInitialize(nullptr);
        state.comStarted = SUCCEEDED(result);
        return result;
    }
    void uninitializeComThread() override {
        auto &state = hostState();
        if (state.comStarted)
            CoUninitialize();
        state.comStarted = false;
    }
};

} // namespace

namespace host_speech {

platform::SpeechEngineHost &engines() {
    static WindowsEngines windows;
    return windows;
}

} // namespace host_speech
