// What the two stand-in speech engines share (in-process COM servers for
// the Wine checks, standing in for the SAPI 5 voices and SAPI 4 engines a
// Windows machine has): their call log, the behaviour the checks ask of
// them through the environment, their voices, the speaking queue that
// "speaks" each text for a set time, and the COM server plumbing.
//
//   ZEB_STANDIN_LOG     file the calls are appended to, one line each
//   ZEB_STANDIN_FAIL    "Method=0xHRESULT,..." : those methods return that
//   ZEB_STANDIN_VOICES  "Name:LANGID,..." in hexadecimal, or "none"
//                       (default "Alpha:416,Beta:416,Gamma:409")
//   ZEB_STANDIN_MS      milliseconds each character sounds (default 30)
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

namespace standin {

// Appends one line to the log: the engine's prefix and the text.
void log(const char *engine, const std::string &line);
std::string hresultText(HRESULT result);
std::string guidText(const GUID &guid);
// "text" with its quotes, bytes as they are.
std::string quoted(const std::string &text);

// The result the checks want `method` to give, or S_OK.
HRESULT configuredResult(const char *method);

struct Voice {
    std::string name;
    LANGID language = 0;
};
std::vector<Voice> configuredVoices();

// Whether the caller runs on the thread that made the engine object, and
// inside that object's window procedure (a pump of that thread).
std::string threadNote(DWORD creatorThread, bool inWindowProcedure);

// Texts sound one after another, each for its number of characters times
// ZEB_STANDIN_MS, on a thread of its own; what happens to them is reported
// on the creating thread from a hidden window's procedure, so only while
// that thread pumps its messages.
class Speaker {
public:
    enum class Event { Queued, Begun, Ended, Dropped };
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void spoken(Event event, unsigned text) = 0;
    };

    explicit Speaker(Listener &listener);
    ~Speaker();
    Speaker(const Speaker &) = delete;
    Speaker &operator=(const Speaker &) = delete;

    unsigned say(size_t characters);
    // Drops every text not yet ended; each is reported Dropped.
    void purge();
    bool speaking() const;
    // Manual-reset, set while nothing is queued or sounding.
    HANDLE completion() const { return completion_; }
    DWORD creatorThread() const { return creator_; }
    bool inWindowProcedure() const { return inProcedure_; }

private:
    struct Text {
        unsigned id;
        DWORD ms;
    };
    static DWORD WINAPI run(void *self);
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void work();
    void post(Event event, unsigned text);

    Listener &listener_;
    HWND window_ = nullptr;
    HANDLE thread_ = nullptr, wake_ = nullptr, completion_ = nullptr;
    mutable CRITICAL_SECTION lock_;
    std::deque<Text> queue_;
    unsigned current_ = 0, nextId_ = 1;
    bool dropCurrent_ = false, quit_ = false, inProcedure_ = false;
    DWORD creator_ = 0;
};

// ---- COM server plumbing ----------------------------------------------------

// Reference counting for a stand-in object; `destroyed` is logged when the
// last reference goes.
class Counted {
public:
    virtual ~Counted() = default;
    ULONG addRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG release();

private:
    LONG references_ = 1;
};

// IUnknown of a stand-in object with one interface besides IUnknown.
template <typename Interface> class Unknown : public Interface, protected Counted {
public:
    explicit Unknown(const IID &iid) : iid_(iid) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        *object = nullptr;
        if (iid != __uuidof(IUnknown) && iid != iid_)
            return E_NOINTERFACE;
        *object = static_cast<Interface *>(this);
        addRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(); }

private:
    IID iid_;
};

// The objects a class factory makes: returns the new object's interface.
using Maker = HRESULT (*)(const CLSID &classId, REFIID iid, void **object);
struct ServedClass {
    CLSID classId;
    Maker make;
};

// The classes of one stand-in, defined by it. The rest of its COM server
// (DllMain, DllGetClassObject, DllCanUnloadNow, DllRegisterServer and
// DllUnregisterServer, the InprocServer32 of each class in the apartment
// threading model) is standin_common.cpp's, and so are three exports for a
// test program that loads it: StandInServe serves its classes to the process
// alone (CoRegisterClassObject, no registry), StandInWithdraw withdraws them,
// StandInSet(name, value) sets one of the environment values above.
const std::vector<ServedClass> &servedClasses();

} // namespace standin
