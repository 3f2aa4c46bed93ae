// The MBROLA driver: binds the diphone synthesizer library at run time, feeds
// it an utterance line by line and delivers its 16-bit 16000 Hz samples to
// the wave player as in-memory WAV images, or to an output file.
#pragma once

#include "platform/file.h"

#include <cstdint>
#include <string>
#include <vector>

// The library's calling convention: stdcall on 32-bit Windows.
#if defined(_WIN32) && defined(__i386__)
#define ZEB_MBR_CALL __stdcall
#else
#define ZEB_MBR_CALL
#endif

namespace quelo {

constexpr uint32_t MbrolaRate = 16000;
constexpr int32_t ReadSamples = 16000;
constexpr uint32_t MinimumImageBytes = 256;

// Loads "mbrola.dll" and resolves its 23 entry points; false (and nothing
// left loaded) when the library or any entry point is missing.
bool loadMbrola();
void unloadMbrola();
bool mbrolaLoaded();

// init_MBR with the voice database; a negative result unloads the library.
bool initMbrola(const std::string &databasePath);
void setMbrolaNoError();
void closeMbrola();

// One utterance line by line: beginUtterance, sendLine for every line (the
// last one flagged), endUtterance, which gives the result.
void beginUtterance(platform::File *output);
void sendLine(const std::string &line, bool last);
bool endUtterance();

// Sends one utterance's phoneme lines. With no output file the samples are
// played; otherwise they are appended to it. False when the synthesizer
// reported an error or a write failed; the utterance goes on either way.
bool sendUtterance(const std::vector<std::string> &lines, platform::File *output);

// The 44-byte header of a 16-bit mono 16000 Hz WAV file or image.
void buildMbrolaHeader(uint8_t *header, uint32_t dataLength);

} // namespace quelo
