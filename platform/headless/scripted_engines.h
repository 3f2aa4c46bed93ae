// A scripted stand-in for the host's speech engines, in the headless
// backend's virtual time: its voices, how long texts take, and which calls
// fail are set by the test, and every call is logged with its arguments.
#pragma once

#include "platform/speech_engines.h"

#include <cstdint>
#include <string>
#include <vector>

namespace headless {

struct ScriptedVoice {
    std::string name, language;
};

struct EngineScript {
    std::vector<ScriptedVoice> voices{{"Alpha", "pt-BR"}, {"Beta", "pt"}, {"Gamma", "en"}};
    uint32_t beginAfterMs = 10;         // from a queued text to its first sound
    uint32_t msPerCharacter = 50;       // how long a text sounds
    uint32_t audioTailMs = 0;           // SAPI 4: audio that goes on after the text is done
    std::string selectChangesDirectory; // SAPI 4: Select moves the current directory here
    // The result of each kind of call; a failing one does nothing else.
    platform::HResult createVoice = platform::SOk, getVoices = platform::SOk,
                      putVoice = platform::SOk, putRate = platform::SOk, speak = platform::SOk,
                      completeEvent = platform::SOk;
    platform::HResult createAudio = platform::SOk, createEnumerator = platform::SOk,
                      select = platform::SOk, registerSink = platform::SOk,
                      textData = platform::SOk, audioReset = platform::SOk,
                      attributes = platform::SOk, speedSet = platform::SOk,
                      pitchSet = platform::SOk;
    int32_t nextFailsAt = -1; // the call of ITTSEnumA::Next (0-based) that fails
    bool serverLost = false;  // the host reports its engines' server gone

    // A host where no engine class is registered.
    static EngineScript none() {
        EngineScript script;
        script.createVoice = script.createAudio = script.createEnumerator =
            platform::ClassNotRegistered;
        return script;
    }
};

// Serves the engines from `script` from now on, with an empty call log.
void scriptSpeechEngines(const EngineScript &script);
// Gives the host's own engines back.
void unscriptSpeechEngines();

// "name arg arg...", in call order; notifications delivered to the client's
// sinks are logged too ("sink textDataStarted").
const std::vector<std::string> &engineCalls();
// Texts queued to the scripted engines that have not finished sounding.
size_t textsSounding();

} // namespace headless
