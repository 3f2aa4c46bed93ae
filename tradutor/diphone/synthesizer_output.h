// The synthesizer's output buffer: a WAV image of at most 64000 bytes that
// collects samples and is played, and emptied, whenever the next piece would
// not fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace diphone::synth::output {

constexpr size_t BufferSize = 64000;
constexpr size_t HeaderSize = 44;
// A chunk is played before a piece would bring it to BufferSize bytes, so a
// chunk never holds more than this many samples.
constexpr size_t MaxChunkSamples = BufferSize - 1 - HeaderSize;
constexpr uint8_t Silence = 128;

void allocate();
void release();
bool allocated();

// Forgets anything written since the last flush.
void clear();

// Plays the buffer when `count` more samples would not fit, and waits until
// it has been played.
void ensureRoom(size_t count);
// Room for a piece of `count` samples at the end of the buffer. A piece
// larger than an empty buffer holds is cut to MaxChunkSamples.
std::span<uint8_t> makeRoom(size_t count);
// Counts `count` samples written into the room given by makeRoom as output.
void commit(size_t count);

// `count` samples of silence in blocks of 100; a remainder below 100 is dropped.
void emitSilence(int64_t count);
// 300 samples of low-level noise from the program's random generator.
void emitNoise();
// Plays what the buffer holds, waits until it has been played, and empties it.
void flushOutput();

} // namespace diphone::synth::output
