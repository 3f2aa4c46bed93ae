// The speech-server dispatcher: hands texts to the configured speech server
// (kind 3 the built-in engine, 5 and 54 the two SAPI 5 voice classes, any
// other kind SAPI 4) and forwards its start, close, speak, busy and stop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace servers {

// Server kinds, the values of TIPOSAPI. Every kind not named here selects
// SAPI 4 as well; ServerKindSapi4 is the one the dispatcher starts with.
constexpr int32_t ServerKindQuelo = 3;
constexpr int32_t ServerKindSapi4 = 4;
constexpr int32_t ServerKindSapi5 = 5;
constexpr int32_t ServerKindSapi5Second = 54;

// Reads the built-in engine's file set; runs before the façade's start.
void moduleStart();
// Releases the SAPI clients' engine objects, speaking or not; runs before
// the façade's end, which ends COM.
void moduleEnd();

// Starts the server of `kind`; false when it cannot be started, after which
// the other operations must not be used. An empty output file speaks to the
// sound device.
bool serverStart(int32_t voice, int32_t rate, int32_t pitch, const std::string &outputFile,
                 int32_t kind);
void serverClose();
// False when the text was lost with a server that went away (it ended or
// stopped answering, and could not be reached again at this text): the
// caller speaks it some other way. Every other outcome counts as taken.
bool serverSpeak(const std::string &text);
// What a busy test counts: text still queued, and also audio still sounding
// after its text is done (the numbers are the engines' own).
enum class Busy : uint8_t { Sounding = 0, Queued = 1 };
bool serverBusy(Busy test);
void serverStop();

// A voice a server of `kind` offers, as its number in VOZ names it (1-based).
struct ServerVoice {
    std::string name, language; // UTF-8, as the engine gives them
};
// Empty when the server cannot be reached or has no voices.
std::vector<ServerVoice> serverVoices(int32_t kind);

} // namespace servers
