// The speech engines of the Windows host, as real COM objects: what the
// SAPI 5 and SAPI 4 wrappers offer the host (win32_speech_engines.cpp).
#pragma once

#include "platform/speech_engines.h"

#include <memory>

namespace win32_speech {

// win32_sapi5.cpp: CoCreateInstance of the voice class for ISpeechVoice,
// connected to the voice's event interface.
platform::HResult createVoice(const platform::Guid &voiceClass,
                              const platform::Guid &voiceInterface,
                              const platform::Guid &eventInterface,
                              std::unique_ptr<platform::Sapi5Voice> &voice);

// win32_sapi4.cpp: CoCreateInstance of the audio destination and of the
// enumerator; the engine comes from the enumerator's Select.
platform::HResult createAudioDest(const platform::Guid &classId, uint32_t context,
                                  const platform::Guid &interfaceId,
                                  std::shared_ptr<platform::Sapi4AudioDest> &audio);
platform::HResult createEnumerator(const platform::Guid &classId, uint32_t context,
                                   const platform::Guid &interfaceId,
                                   std::unique_ptr<platform::Sapi4Enum> &enumerator);

} // namespace win32_speech
