// SAPI 4's ANSI text-to-speech interfaces, declared from their public
// documentation (no header for them ships with the compiler): the structures
// they pass, their identifiers, and the interfaces with their methods in
// vtable order. Every method is stdcall; SDATA, QWORD and the GUIDs of
// ITTSEnumA::Select, ITTSCentralA::TextData and ITTSCentralA::Register are
// passed by value.
#pragma once

#include "platform/win32/win32_guid.h"

#include <windows.h>

#include <objbase.h>

namespace sapi4 {

using QWORD = ULONGLONG;

// A block of data and its size in bytes.
struct SDATA {
    void *pData;
    DWORD dwSize;
};

enum VOICECHARSET { CHARSET_TEXT = 0, CHARSET_IPAPHONETIC = 1, CHARSET_ENGINEPHONETIC = 2 };

constexpr int TTSI_NAMELEN = 262;
constexpr int LANG_LEN = 64;

struct LANGUAGEA {
    LANGID LanguageID;
    CHAR szDialect[LANG_LEN];
};

// One mode of an engine, as ITTSEnumA::Next fills it.
struct TTSMODEINFOA {
    GUID gEngineID;
    CHAR szMfgName[TTSI_NAMELEN];
    CHAR szProductName[TTSI_NAMELEN];
    GUID gModeID;
    CHAR szModeName[TTSI_NAMELEN];
    LANGUAGEA language;
    CHAR szSpeaker[TTSI_NAMELEN];
    CHAR szStyle[TTSI_NAMELEN];
    WORD wGender;
    WORD wAge;
    DWORD dwFeatures;
    DWORD dwInterfaces;
    DWORD dwEngineFeatures;
};
static_assert(sizeof(TTSMODEINFOA) == 1424, "TTSMODEINFOA as the engines lay it out");

// The mouth position of ITTSNotifySinkA::Visual.
struct TTSMOUTH {
    BYTE bMouthHeight, bMouthWidth, bMouthUpturn, bJawOpen, bTeethUpperVisible, bTeethLowerVisible,
        bTonguePosn, bLipTension;
};

// The identifiers, from the engines' table.
constexpr GUID CLSID_MMAudioDest = win32_speech::windowsGuid(platform::guids::MMAudioDestClass);
constexpr GUID IID_IAudioMultiMediaDevice =
    win32_speech::windowsGuid(platform::guids::AudioMultiMediaDeviceInterface);
constexpr GUID CLSID_TTSEnumerator = win32_speech::windowsGuid(platform::guids::TTSEnumeratorClass);
constexpr GUID IID_ITTSEnumA = win32_speech::windowsGuid(platform::guids::TTSEnumInterface);
constexpr GUID IID_ITTSNotifySinkA =
    win32_speech::windowsGuid(platform::guids::TTSNotifySinkInterface);
constexpr GUID IID_ITTSBufNotifySink =
    win32_speech::windowsGuid(platform::guids::TTSBufNotifySinkInterface);
constexpr GUID IID_ITTSAttributesA =
    win32_speech::windowsGuid(platform::guids::TTSAttributesInterface);

struct ITTSCentralA;

struct ITTSEnumA : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, TTSMODEINFOA *modes, ULONG *fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(ITTSEnumA **copy) = 0;
    virtual HRESULT STDMETHODCALLTYPE Select(GUID modeId, ITTSCentralA **central,
                                             IUnknown *audio) = 0;
};

struct ITTSCentralA : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Inject(const CHAR *tag) = 0;
    virtual HRESULT STDMETHODCALLTYPE ModeGet(TTSMODEINFOA *mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE Phoneme(VOICECHARSET charset, DWORD flags, SDATA text,
                                              SDATA *phonemes) = 0;
    virtual HRESULT STDMETHODCALLTYPE PosnGet(QWORD *position) = 0;
    virtual HRESULT STDMETHODCALLTYPE TextData(VOICECHARSET charset, DWORD flags, SDATA text,
                                               void *notifySink, IID notifyInterface) = 0;
    virtual HRESULT STDMETHODCALLTYPE ToFileTime(QWORD *time, FILETIME *fileTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE AudioPause() = 0;
    virtual HRESULT STDMETHODCALLTYPE AudioResume() = 0;
    virtual HRESULT STDMETHODCALLTYPE AudioReset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Register(void *notifySink, IID notifyInterface,
                                               DWORD *key) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnRegister(DWORD key) = 0;
};

struct ITTSAttributesA : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE PitchGet(WORD *pitch) = 0;
    virtual HRESULT STDMETHODCALLTYPE PitchSet(WORD pitch) = 0;
    virtual HRESULT STDMETHODCALLTYPE RealTimeGet(DWORD *realTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE RealTimeSet(DWORD realTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE SpeedGet(DWORD *speed) = 0;
    virtual HRESULT STDMETHODCALLTYPE SpeedSet(DWORD speed) = 0;
    virtual HRESULT STDMETHODCALLTYPE VolumeGet(DWORD *volume) = 0;
    virtual HRESULT STDMETHODCALLTYPE VolumeSet(DWORD volume) = 0;
};

// Implemented by the application, registered with ITTSCentralA::Register.
struct ITTSNotifySinkA : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AttribChanged(DWORD attribute) = 0;
    virtual HRESULT STDMETHODCALLTYPE AudioStart(QWORD time) = 0;
    virtual HRESULT STDMETHODCALLTYPE AudioStop(QWORD time) = 0;
    virtual HRESULT STDMETHODCALLTYPE Visual(QWORD time, CHAR ipaPhoneme, CHAR enginePhoneme,
                                             DWORD hints, TTSMOUTH *mouth) = 0;
};

// Implemented by the application, passed with every ITTSCentralA::TextData.
struct ITTSBufNotifySink : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE TextDataDone(QWORD time, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE TextDataStarted(QWORD time) = 0;
    virtual HRESULT STDMETHODCALLTYPE BookMark(QWORD time, DWORD mark) = 0;
    virtual HRESULT STDMETHODCALLTYPE WordPosition(QWORD time, DWORD byteOffset) = 0;
};

// The multimedia audio destination; the application only hands it to
// ITTSEnumA::Select.
struct IAudioMultiMediaDevice : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CustomMessage(UINT message, SDATA data) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeviceNumGet(DWORD *device) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeviceNumSet(DWORD device) = 0;
};

} // namespace sapi4
