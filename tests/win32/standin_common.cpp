#include "tests/win32/standin_common.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace standin {

namespace {

constexpr UINT SpeakerMessage = WM_APP + 17;
constexpr DWORD DefaultMsPerCharacter = 30;

std::string environment(const char *name) {
    char value[1024];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::vector<std::string> split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(separator, start), text.size());
        if (end > start)
            parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

DWORD msPerCharacter() {
    const std::string value = environment("ZEB_STANDIN_MS");
    return value.empty() ? DefaultMsPerCharacter : std::strtoul(value.c_str(), nullptr, 10);
}

const char *className() {
    return "ZebStandInSpeaker";
}

// This DLL's own module: each stand-in registers the window class for itself.
HINSTANCE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&thisModule), &module);
    return module;
}

} // namespace

void log(const char *engine, const std::string &line) {
    const std::string path = environment("ZEB_STANDIN_LOG");
    if (path.empty())
        return;
    if (FILE *file = std::fopen(path.c_str(), "ab")) {
        std::fprintf(file, "%s %s\n", engine, line.c_str());
        std::fclose(file);
    }
}

std::string hresultText(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

std::string guidText(const GUID &guid) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return text;
}

std::string quoted(const std::string &text) {
    return "\"" + text + "\"";
}

HRESULT configuredResult(const char *method) {
    for (const std::string &entry : split(environment("ZEB_STANDIN_FAIL"), ',')) {
        const size_t equals = entry.find('=');
        if (equals != std::string::npos && entry.compare(0, equals, method) == 0)
            return static_cast<HRESULT>(std::strtoul(entry.c_str() + equals + 1, nullptr, 16));
    }
    return S_OK;
}

std::vector<Voice> configuredVoices() {
    std::string value = environment("ZEB_STANDIN_VOICES");
    if (value == "none")
        return {};
    if (value.empty())
        value = "Alpha:416,Beta:416,Gamma:409";
    std::vector<Voice> voices;
    for (const std::string &entry : split(value, ',')) {
        const size_t colon = entry.find(':');
        Voice voice;
        voice.name = entry.substr(0, colon);
        if (colon != std::string::npos)
            voice.language =
                static_cast<LANGID>(std::strtoul(entry.c_str() + colon + 1, nullptr, 16));
        voices.push_back(voice);
    }
    return voices;
}

std::string threadNote(DWORD creatorThread, bool inWindowProcedure) {
    const bool creator = GetCurrentThreadId() == creatorThread;
    return std::string(creator ? "[creating thread" : "[other thread") +
           (inWindowProcedure ? ", message pump]" : "]");
}

// ---- speaker ----------------------------------------------------------------

Speaker::Speaker(Listener &listener) : listener_(listener), creator_(GetCurrentThreadId()) {
    InitializeCriticalSection(&lock_);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = thisModule();
    windowClass.lpszClassName = className();
    RegisterClassA(&windowClass); // fails harmlessly once it is registered
    window_ = CreateWindowA(className(), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            windowClass.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    completion_ = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
}

Speaker::~Speaker() {
    EnterCriticalSection(&lock_);
    quit_ = true;
    LeaveCriticalSection(&lock_);
    SetEvent(wake_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(wake_);
    CloseHandle(completion_);
    DestroyWindow(window_);
    DeleteCriticalSection(&lock_);
}

unsigned Speaker::say(size_t characters) {
    EnterCriticalSection(&lock_);
    const unsigned id = nextId_++;
    queue_.push_back({id, static_cast<DWORD>(characters) * msPerCharacter()});
    ResetEvent(completion_);
    LeaveCriticalSection(&lock_);
    post(Event::Queued, id);
    SetEvent(wake_);
    return id;
}

void Speaker::purge() {
    EnterCriticalSection(&lock_);
    for (const Text &text : queue_)
        post(Event::Dropped, text.id);
    queue_.clear();
    dropCurrent_ = current_ != 0;
    if (current_ == 0)
        SetEvent(completion_);
    LeaveCriticalSection(&lock_);
    SetEvent(wake_);
}

bool Speaker::speaking() const {
    return WaitForSingleObject(completion_, 0) != WAIT_OBJECT_0;
}

DWORD WINAPI Speaker::run(void *self) {
    static_cast<Speaker *>(self)->work();
    return 0;
}

void Speaker::work() {
    EnterCriticalSection(&lock_);
    for (;;) {
        while (!quit_ && queue_.empty()) {
            if (current_ == 0)
                SetEvent(completion_);
            LeaveCriticalSection(&lock_);
            WaitForSingleObject(wake_, INFINITE);
            EnterCriticalSection(&lock_);
        }
        if (quit_)
            break;
        const Text text = queue_.front();
        queue_.pop_front();
        current_ = text.id;
        dropCurrent_ = false;
        LeaveCriticalSection(&lock_);
        post(Event::Begun, text.id);
        const DWORD end = GetTickCount() + text.ms;
        bool dropped = false;
        for (;;) {
            const auto left = static_cast<LONG>(end - GetTickCount());
            if (left <= 0)
                break;
            WaitForSingleObject(wake_, static_cast<DWORD>(left));
            EnterCriticalSection(&lock_);
            dropped = dropCurrent_ || quit_;
            LeaveCriticalSection(&lock_);
            if (dropped)
                break;
        }
        EnterCriticalSection(&lock_);
        current_ = 0;
        post(dropped ? Event::Dropped : Event::Ended, text.id);
    }
    LeaveCriticalSection(&lock_);
}

void Speaker::post(Event event, unsigned text) {
    PostMessageA(window_, SpeakerMessage, static_cast<WPARAM>(event), text);
}

LRESULT CALLBACK Speaker::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *self = reinterpret_cast<Speaker *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != SpeakerMessage || !self)
        return DefWindowProcA(window, message, wParam, lParam);
    self->inProcedure_ = true;
    self->listener_.spoken(static_cast<Event>(wParam), static_cast<unsigned>(lParam));
    self->inProcedure_ = false;
    return 0;
}

// ---- COM server plumbing ----------------------------------------------------

ULONG Counted::release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

namespace {

class Factory final : public Unknown<IClassFactory> {
public:
    Factory(const CLSID &classId, Maker make)
        : Unknown(__uuidof(IClassFactory)), classId_(classId), make_(make) {}
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **object) override {
        *object = nullptr;
        return outer ? CLASS_E_NOAGGREGATION : make_(classId_, iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    CLSID classId_;
    Maker make_;
};

HINSTANCE module = nullptr;

std::vector<DWORD> &servedCookies() {
    static std::vector<DWORD> cookies;
    return cookies;
}

HRESULT classObject(REFCLSID classId, REFIID iid, void **object) {
    *object = nullptr;
    for (const ServedClass &served : servedClasses())
        if (served.classId == classId) {
            auto *factory = new Factory(served.classId, served.make);
            const HRESULT result = factory->QueryInterface(iid, object);
            factory->Release();
            return result;
        }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT registerClasses(bool add) {
    char path[MAX_PATH];
    if (!GetModuleFileNameA(module, path, sizeof path))
        return E_FAIL;
    for (const ServedClass &served : servedClasses()) {
        const std::string key = "CLSID\\" + guidText(served.classId);
        if (!add) {
            RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
            continue;
        }
        HKEY server = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, (key + "\\InprocServer32").c_str(), 0, nullptr, 0,
                            KEY_WRITE, nullptr, &server, nullptr) != ERROR_SUCCESS)
            return E_FAIL;
        const char model[] = "Apartment";
        RegSetValueExA(server, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(path),
                       static_cast<DWORD>(std::strlen(path) + 1));
        RegSetValueExA(server, "ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE *>(model),
                       sizeof model);
        RegCloseKey(server);
    }
    return S_OK;
}

HRESULT serveInProcess() {
    for (const ServedClass &served : servedClasses()) {
        IClassFactory *factory = nullptr;
        HRESULT result = classObject(served.classId, __uuidof(IClassFactory),
                                     reinterpret_cast<void **>(&factory));
        DWORD cookie = 0;
        if (SUCCEEDED(result))
            result = CoRegisterClassObject(served.classId, factory, CLSCTX_INPROC_SERVER,
                                           REGCLS_MULTIPLEUSE, &cookie);
        if (factory)
            factory->Release();
        if (FAILED(result))
            return result;
        servedCookies().push_back(cookie);
    }
    return S_OK;
}

} // namespace

} // namespace standin

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void *) {
    if (reason == DLL_PROCESS_ATTACH)
        standin::module = instance;
    return TRUE;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID classId, REFIID iid, void **object) {
    return standin::classObject(classId, iid, object);
}

// The speaking thread may still run: the DLL stays loaded.
__declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return S_FALSE;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
    return standin::registerClasses(true);
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return standin::registerClasses(false);
}

__declspec(dllexport) HRESULT StandInServe() {
    return standin::serveInProcess();
}

__declspec(dllexport) void StandInWithdraw() {
    for (const DWORD cookie : standin::servedCookies())
        CoRevokeClassObject(cookie);
    standin::servedCookies().clear();
}

__declspec(dllexport) void StandInSet(const char *name, const char *value) {
    SetEnvironmentVariableA(name, value);
}

} // extern "C"
