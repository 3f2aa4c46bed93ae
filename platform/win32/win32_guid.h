// The engines' identifiers (platform/speech_engines.h) in Windows' own GUID
// type, and back.
#pragma once

#include "platform/speech_engines.h"

#include <windows.h>

namespace win32_speech {

constexpr GUID windowsGuid(const platform::Guid &g) {
    return GUID{g.data1,
                g.data2,
                g.data3,
                {g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6],
                 g.data4[7]}};
}

constexpr platform::Guid platformGuid(const GUID &g) {
    return platform::Guid{static_cast<uint32_t>(g.Data1),
                          g.Data2,
                          g.Data3,
                          {g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5],
                           g.Data4[6], g.Data4[7]}};
}

} // namespace win32_speech
