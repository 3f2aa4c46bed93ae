// Time on the SDL backend: the real clock.
#include "platform/platform.h"

#include <SDL.h>

#include <chrono>

namespace platform {

void sleepMs(uint32_t ms) {
    SDL_Delay(ms);
}

uint64_t tickMs() {
    return SDL_GetTicks64();
}

TimeOfDay utcTimeOfDay() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto sinceMidnight = now - floor<days>(now);
    const auto ms = duration_cast<milliseconds>(sinceMidnight).count();
    TimeOfDay t;
    t.hour = static_cast<int32_t>(ms / 3600000);
    t.minute = static_cast<int32_t>(ms / 60000 % 60);
    t.second = static_cast<int32_t>(ms / 1000 % 60);
    t.millisecond = static_cast<int32_t>(ms % 1000);
    return t;
}

} // namespace platform
