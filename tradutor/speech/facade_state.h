// The speech façade's module state, shared by the files that make up the
// façade (speech.cpp, speak_text.cpp, config.cpp).
#pragma once

#include "tradutor/servers/server.h"
#include "tradutor/speech/wave_player.h"

#include <array>
#include <cstdint>
#include <string>

namespace speech::detail {

constexpr uint32_t ClickSamples = 256;

struct FacadeState {
    std::string startDir;   // current directory at module start, no trailing backslash
    std::string soundDir;   // the program's recordings, with a trailing backslash
    std::string lettersDir; // "_" recordings named by the façade, trailing backslash
    bool serverActive = false;
    int32_t engineType = servers::ServerKindSapi4;
    bool serverWait = true;      // the next recording waits for the server to fall silent
    bool stopped = false;        // set by stopSpeech, ends a native speakText
    int32_t pauseFullStop = 250; // milliseconds
    int32_t pauseComma = 150;
    int32_t pauseColon = 200;
    std::array<uint8_t, wave::HeaderSize + ClickSamples> click{};
};

FacadeState &facade();

} // namespace speech::detail
