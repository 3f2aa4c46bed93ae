// The host's own speech engines, used by the platform's engine calls when no
// stand-in is set. One implementation per host.
#pragma once

#include "platform/speech_engines.h"

namespace host_speech {

platform::SpeechEngineHost &engines();

} // namespace host_speech
