// The SAPI 5 client: texts spoken by an automation voice object. Two
// variants, one per voice class, each with its own voice and completion
// event; kind 5 uses the standard class, kind 54 the second one.
#pragma once

#include "tradutor/servers/server.h"

#include <cstdint>
#include <string>
#include <vector>

namespace servers {

enum class Sapi5Class { Standard, Second };

// Voice is the 1-based number of an installed voice (out of range: the first
// voice and the default rate); the pitch is not used.
bool sapi5Start(Sapi5Class variant, int32_t voice, int32_t rate, int32_t pitch,
                const std::string &outputFile);
// False when the text was lost with a server that went away (see
// platform::engineServerLost); any other failure beeps and counts as taken.
bool sapi5Speak(Sapi5Class variant, const std::string &text);
bool sapi5Busy(Sapi5Class variant);
// False when the purge was sent, true when it failed.
bool sapi5Stop(Sapi5Class variant);
void sapi5Close(Sapi5Class variant);
// Releases the variant's voice at once, whether it speaks or not.
void sapi5Release(Sapi5Class variant);

// The installed voices of the variant's class, in the order VOZ counts them:
// each one's description and language.
std::vector<ServerVoice> sapi5Voices(Sapi5Class variant);

} // namespace servers
