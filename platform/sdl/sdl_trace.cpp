// The transcript hooks serve the headless backend's tests; a desktop
// program has nobody to tell.
#include "platform/platform.h"

namespace platform::trace {

void text(const uint8_t *, size_t, int32_t, int32_t, uint8_t) {}
void soundStart(const std::string &) {}
void tone(uint32_t) {}
void engine(const std::string &) {}

} // namespace platform::trace
