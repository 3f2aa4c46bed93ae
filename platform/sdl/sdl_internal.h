// What the files of the SDL backend offer each other. Each file keeps its
// own state; these calls are the only way between them.
#pragma once

#include "platform/platform.h"

#include <SDL.h>

#include <cstddef>
#include <cstdint>

namespace sdl_backend {

// ---- start and end (sdl_init.cpp) ----
// Video and events, then audio. A machine without a display cannot run the
// program: the failure is reported and the process ends.
void ensureVideo();
// Audio alone; false (once reported) when the machine has no sound.
bool ensureAudio();

// Releases of the files that hold SDL handles, run by exitProcess before
// SDL shuts down, in this order.
void shutdownLoopingSound();
void shutdownWaveOut();
void shutdownWindow();
void shutdownFont();

// ---- messages (sdl_messages.cpp) ----
// Appends a message produced on the main thread from an SDL event.
void queueMessage(const platform::Message &msg);
// From now on postMessage wakes a blocked wait (SDL's event queue exists).
void enableWakeUps();

// ---- window (sdl_window.cpp) ----
void handleWindowEvent(const SDL_WindowEvent &event);
// The Paint message of a pending invalid area, taken when nothing else waits.
bool takePendingPaint(platform::Message &out);
bool paintPending();
bool clientContains(int32_t x, int32_t y);

// ---- keyboard and mouse (sdl_input.cpp) ----
void handleInputEvent(const SDL_Event &event);

// ---- font (sdl_font.cpp) ----
// Draws bytes into consecutive cells starting at (x, y) of the surface;
// returns the area drawn.
SDL_Rect drawCells(SDL_Surface &target, int32_t x, int32_t y, const uint8_t *bytes, size_t count,
                   SDL_Color fg, SDL_Color bg);

// ---- audio devices (sdl_audio_device.cpp) ----
// An open SDL playback device, closed when the object goes.
class AudioDevice {
public:
    AudioDevice() = default;
    explicit AudioDevice(SDL_AudioDeviceID id) : id_(id) {}
    ~AudioDevice() { close(); }
    AudioDevice(const AudioDevice &) = delete;
    AudioDevice &operator=(const AudioDevice &) = delete;
    AudioDevice(AudioDevice &&other) noexcept : id_(other.id_) { other.id_ = 0; }
    AudioDevice &operator=(AudioDevice &&other) noexcept;

    SDL_AudioDeviceID id() const { return id_; }
    bool isOpen() const { return id_ != 0; }
    // Waits for the device's thread to leave the callback, then closes.
    void close();

private:
    SDL_AudioDeviceID id_ = 0;
};

// Closes the wave-out devices kept open for later sounds (sdl_wave_out.cpp),
// for a system that allows one open device only. False when none was open.
bool releaseIdleWaveDevices();

// Result of the Windows multimedia API for a format it cannot play.
constexpr int32_t WaveBadFormat = 32;

// Whether SDL can be asked for this format: 8 or 16 bits, 1..8 channels.
bool playableFormat(const platform::WaveFormat &format);
// Sample frames per callback: small, so that a cut is heard at once.
uint16_t bufferFramesFor(uint32_t rate);
// Opens a paused playback device for exactly this format (SDL converts to
// what the hardware wants). The callback runs on SDL's audio thread. The
// silence byte of the format is stored in *silence.
AudioDevice openPlaybackDevice(const platform::WaveFormat &format, SDL_AudioCallback callback,
                               void *userData, uint8_t *silence);

} // namespace sdl_backend
