// Time on Windows: Sleep, the tick count and the system clock.
#include "platform/win32/win32_internal.h"

namespace win32_backend {

namespace {

// GetTickCount wraps after 49.7 days; the wraps seen are counted.
struct TimeState {
    DWORD lastTick = 0;
    uint64_t wraps = 0;
};

TimeState state;

} // namespace

} // namespace win32_backend

namespace platform {

using namespace win32_backend;

void sleepMs(uint32_t ms) {
    Sleep(ms);
}

uint64_t tickMs() {
    const DWORD tick = GetTickCount();
    if (tick < state.lastTick)
        ++state.wraps;
    state.lastTick = tick;
    return (state.wraps << 32) | tick;
}

TimeOfDay utcTimeOfDay() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return TimeOfDay{st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

} // namespace platform
