// The game's message catalogue: each message is printed from the table and
// heard from its recording.
#pragma once

#include <string>

namespace game {

struct Message {
    const char *key;
    const char *text; // Windows-1252; nullptr for sound-only keys
    bool lineEnd;
};

// The row of a key, or nullptr when the catalogue has none.
const Message *findMessage(const std::string &key);

// Prints the message's text (when it has one) and plays its recording.
void sayMessage(const std::string &key);

} // namespace game
