// What the files of the SDL backend offer each other. Each file keeps its
// own state; these calls are the only way between them.
#pragma once

#include "platform/platform.h"

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <memory>

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

// ---- the playback device (sdl_audio_device.cpp) ----
// The one device, opened at audio start and kept until the program ends.
// Its callback (SDL's audio thread) asks each source to add its samples:
// 32-bit float, interleaved in the device's channels.
struct OutputFormat {
    int rate = 0;
    Uint8 channels = 0;
    Uint16 frames = 0; // per callback
};
// False, once reported, when no device can be opened.
bool openOutputDevice();
bool outputOpen();
const OutputFormat &outputFormat();
// A converter from a sound's format to the device's; null when SDL cannot
// convert it or no device is open.
SDL_AudioStream *newStreamToOutput(const platform::WaveFormat &format);
// SDL reported a device gone (the sound server ended): told once, and the
// wave-out queue goes on in silence.
void noteAudioDeviceRemoved(const SDL_AudioDeviceEvent &event);
bool outputLost();
// At the program's end only. A lost device is left alone: SDL's audio thread
// may be waiting for the dead server, and closing the device would wait for it.
void closeOutputDevice();

// Whether SDL can be asked for this format: 8 or 16 bits, 1..8 channels.
bool playableFormat(const platform::WaveFormat &format);

// An SDL_AudioStream, freed when the object goes.
struct AudioStreamFree {
    void operator()(SDL_AudioStream *stream) const { SDL_FreeAudioStream(stream); }
};
using AudioStreamPtr = std::unique_ptr<SDL_AudioStream, AudioStreamFree>;

// The most samples of whole frames of the device that fit in `capacity`:
// SDL's converter hands out whole frames only.
size_t wholeFrameSamples(size_t capacity);

// The sources, called by the device's callback with the device's samples
// (frames x channels floats), to which they add their own.
void mixWaveOut(float *out, size_t samples);      // sdl_wave_out.cpp
void mixLoopingSound(float *out, size_t samples); // sdl_looping_sound.cpp
// The device is gone: every block queued or still to come is done at once,
// in queue order, without waiting for a callback that may never come again.
void finishWaveOutSilently(); // sdl_wave_out.cpp

// Result of the Windows multimedia API for a format it cannot play.
constexpr int32_t WaveBadFormat = 32;

} // namespace sdl_backend
