// The wave player: PCM sound through the wave-out device, at most four
// blocks queued, the device open only while something is queued, and a
// pending key stopping any sound at once.
#pragma once

#include "platform/platform.h"
#include "platform/wav_format.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace wave {

constexpr uint32_t BlockSize = 65534;
constexpr int MaxQueued = 4;
constexpr size_t HeaderSize = wav::HeaderSize;

void moduleStart();
void moduleEnd();

// 0 played (or nothing to play, or a key was pending), -1 not a playable
// file, else the device error code.
int32_t playWaveFile(const std::string &path);
// Queues an in-memory WAV image (44-byte header + samples) without waiting.
void playWaveImage(const uint8_t *image, size_t size);
int32_t playSamples(const uint8_t *samples, uint32_t length, uint32_t rate, uint16_t channels,
                    uint16_t bits);
bool isWavePlaying();
void stopWave();
void buildWaveHeader(uint8_t *image, uint32_t dataLength, uint32_t rate, uint16_t channels,
                     uint16_t bits);

// Switches.
bool interruptByKey();
void setSpeedUp(bool on);
bool speedUp();
void setCompression(bool on);
bool compression();

// Internal steps, exposed for tests.
uint32_t compressSpeech(uint8_t *buffer, uint32_t length, uint16_t bits, uint32_t rate);
// The size of the next block read from a data chunk with `remaining` bytes left.
uint32_t blockSizeFor(uint32_t remaining);
// Fills a device block (BlockSize bytes) with `length` <= BlockSize samples
// and returns the length handed to the device.
uint32_t fillBlock(uint8_t *block, const uint8_t *samples, uint32_t length, uint16_t bits,
                   uint16_t channels);
int queuedCount();
// The format the device was last opened for (after speed-up and compression).
platform::WaveFormat currentFormat();

} // namespace wave
