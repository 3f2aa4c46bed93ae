// The native synthesizer and its letter-to-sound translator, as the speech
// façade and the number reader see them.
#pragma once

#include <cstdint>
#include <string>

namespace diphone {

// Synthesizer start: 0 ready; 1 a directory or the voice database cannot be
// opened; 2 the rules or the exceptions cannot be loaded.
int32_t openVoice();
void closeVoice();
// Samples cut from unstressed units, samples a cut unit keeps, silence after a word.
void setSynthTiming(int32_t cut, int32_t keep, int32_t gap);
// The voice database's name; at most 8 characters are kept.
void setVoiceName(const std::string &name);
std::string voiceName();
// Directory of the letter recordings, with a trailing backslash.
std::string lettersDirectory();

// Translator: a text of letters and blanks into a phoneme string, per word
// "[" units separated by "/" and "]".
std::string translateText(const std::string &text);
// Synthesizes and plays a phoneme string; returns when it has been played
// or a key stopped it.
void speakPhonemes(const std::string &phonemes, bool noPunctuationPauses);

} // namespace diphone
