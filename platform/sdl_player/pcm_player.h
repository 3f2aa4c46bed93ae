// Plays a finished recording through the sound device and waits for its end.
// For command-line tools, which render speech first and play it afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pcm_player {

// Plays 16-bit mono samples at `rate`; returns false with a message when no
// sound device can be opened.
bool playAndWait(const std::vector<int16_t> &samples, uint32_t rate, std::string &error);

} // namespace pcm_player
