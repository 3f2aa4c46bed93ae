// What the speech engines' COM wrappers of the Windows host share: an owned
// interface pointer, BSTRs, GUIDs and text conversions, and the registry of
// live engine objects the host serves notifications for.
#pragma once

#include "platform/speech_engines.h"
#include "platform/win32/win32_guid.h"

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace win32_speech {

// One reference to a COM interface, released with the owner.
template <typename T> class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T *taken) : p_(taken) {}
    ~ComRef() { reset(); }
    ComRef(const ComRef &) = delete;
    ComRef &operator=(const ComRef &) = delete;
    ComRef(ComRef &&other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComRef &operator=(ComRef &&other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    void reset() {
        if (p_)
            std::exchange(p_, nullptr)->Release();
    }
    T *get() const { return p_; }
    T *operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For an out parameter: whatever was held is released first.
    T **out() {
        reset();
        return &p_;
    }
    void **outVoid() { return reinterpret_cast<void **>(out()); }

private:
    T *p_ = nullptr;
};

// IUnknown of a COM object of ours: it answers to IUnknown and to the
// identifiers it is made with, and deletes itself with its last reference.
template <typename Interface> class ComObject : public Interface {
public:
    explicit ComObject(std::initializer_list<IID> interfaces) : interfaces_(interfaces) {}
    virtual ~ComObject() = default;
    ComObject(const ComObject &) = delete;
    ComObject &operator=(const ComObject &) = delete;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (iid != __uuidof(IUnknown) &&
            std::find(interfaces_.begin(), interfaces_.end(), iid) == interfaces_.end())
            return E_NOINTERFACE;
        *object = static_cast<Interface *>(this);
        this->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --references_;
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

private:
    std::vector<IID> interfaces_;
    long references_ = 1;
};

// A BSTR owned until destruction.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::u16string &text);
    ~Bstr() { SysFreeString(s_); }
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;
    BSTR get() const { return s_; }
    BSTR *out() {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }
    std::string utf8() const;

private:
    BSTR s_ = nullptr;
};

std::u16string cp1252ToUtf16(const std::string &text);
std::string utf16ToUtf8(const wchar_t *text, size_t length);
// A string of the ANSI code page (what SAPI 4's ANSI interfaces give) in UTF-8.
std::string ansiToUtf8(const char *text);

// An engine object of this host while it lives: the host pumps the thread's
// queue for the backends that do not while any exists, and the headless
// backend blocks for its notifications while one awaits them.
class LiveEngine {
public:
    LiveEngine();
    virtual ~LiveEngine();
    LiveEngine(const LiveEngine &) = delete;
    LiveEngine &operator=(const LiveEngine &) = delete;
    virtual bool awaitingNotifications() const = 0;
    // An event the engine sets once done, which ends a wait for it early.
    virtual HANDLE doneEvent() const { return nullptr; }
};

} // namespace win32_speech
