// The diphone synthesizer: phoneme strings into 8-bit mono 11025 Hz speech,
// made of recorded units of the voice's index and sample files and of letter
// recordings, played in chunks of at most 63955 samples.
#pragma once

#include <cstdint>
#include <string>

namespace diphone::synth {

// 0 ready; 1 a directory, the index or the sample file cannot be opened;
// 2 the rules or the exceptions cannot be loaded.
int32_t openVoice();
void closeVoice();

// Samples cut from the end of unstressed units, samples a cut unit keeps at
// least, silence after a word. Used by every unit emitted from then on.
void setSynthTiming(int32_t cut, int32_t keep, int32_t gap);
// Stem of the voice's .IND and .DIF files, read by openVoice; at most 8
// characters are kept.
void setVoiceName(const std::string &name);
std::string voiceName();
// Directory of the letter recordings, with a trailing backslash.
std::string lettersDirectory();

// Synthesizes a phoneme string (per word "[" units separated by "/" "]")
// and plays it; returns when the last chunk has been played. Nothing happens
// while the voice is closed.
void speakPhonemes(const std::string &phonemes, bool noPunctuationPauses);

} // namespace diphone::synth
