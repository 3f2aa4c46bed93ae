// The looping sound of the tone generator: sndPlaySoundA plays the WAV image
// from memory over and over until it is stopped.
#include "platform/win32/win32_internal.h"

namespace platform {

void playLoopingSound(const uint8_t *wavImage, size_t size) {
    if (wavImage == nullptr || size == 0)
        return;
    sndPlaySoundA(reinterpret_cast<LPCSTR>(wavImage), SND_ASYNC | SND_MEMORY | SND_LOOP);
}

void stopLoopingSound() {
    sndPlaySoundA(nullptr, SND_ASYNC);
}

} // namespace platform
