// Parsing of the headless backend's key scripts into window messages.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace headless {

// One scripted keystroke: the messages Windows would deliver for it, and the
// virtual time at which it is typed (or none: typed when the program waits).
struct ScriptedKey {
    std::vector<platform::Message> messages;
    bool timed = false;
    uint64_t atMs = 0;
    bool whenSpeaking = false; // typed once a speech engine begins to speak
};

bool parseKeyScript(const std::string &script, std::vector<ScriptedKey> &keys, std::string &error);

} // namespace headless
