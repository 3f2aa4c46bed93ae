// The native voice as the speech façade and the number reader see it: the
// diphone synthesizer and its letter-to-sound translator.
#include "tradutor/diphone/native_voice.h"

#include "tradutor/diphone/synthesizer.h"
#include "tradutor/diphone/translator.h"

namespace diphone {

int32_t openVoice() {
    return synth::openVoice();
}

void closeVoice() {
    synth::closeVoice();
}

void setSynthTiming(int32_t cut, int32_t keep, int32_t gap) {
    synth::setSynthTiming(cut, keep, gap);
}

void setVoiceName(const std::string &name) {
    synth::setVoiceName(name);
}

std::string voiceName() {
    return synth::voiceName();
}

std::string lettersDirectory() {
    return synth::lettersDirectory();
}

std::string translateText(const std::string &text) {
    return translator::translateText(text);
}

void speakPhonemes(const std::string &phonemes, bool noPunctuationPauses) {
    synth::speakPhonemes(phonemes, noPunctuationPauses);
}

} // namespace diphone
