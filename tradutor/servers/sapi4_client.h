// The SAPI 4 client: texts spoken by a SAPI 4 text-to-speech engine mode to
// the sound device. The engine reports its progress to two notification
// objects of the client, whose counter and flag the busy test reads.
#pragma once

#include "tradutor/servers/server.h"

#include <cstdint>
#include <string>
#include <vector>

namespace servers {

// Voice is the 1-based number of the engine mode in the enumerator's order
// (0 is the first); speed and pitch 0 keep the engine's own.
bool sapi4Start(int32_t voice, int32_t speed, int32_t pitch, const std::string &outputFile);
// False when the text was lost with a server that went away (see
// platform::engineServerLost).
bool sapi4Speak(const std::string &text);
bool sapi4Busy(Busy test);
void sapi4Stop();
void sapi4Close();

// The engine modes in the enumerator's order, the order VOZ counts them:
// each one's mode name and dialect.
std::vector<ServerVoice> sapi4Modes();

} // namespace servers
