// The built-in Portuguese text-to-speech engine: initialisation with the
// MBROLA voice database and the five data files, one utterance from text to
// sound, and shutdown. One engine per process; all its state is here.
#pragma once

#include "platform/platform.h"
#include "tradutor/quelo/prosody.h"

#include <string>

namespace quelo {

constexpr size_t MaxErrorText = 255;

// Takes effect at the next queloInit; empty plays through the wave player.
void queloSetOutputFile(const std::string &fileName);
// Empty arguments take the defaults: "br4", "portug.nrl", "portug.exc",
// "portug.abr", "portug.pro", "portug.dfn".
bool queloInit(const std::string &database, const std::string &rules, const std::string &exceptions,
               const std::string &abbreviations, const std::string &prosody,
               const std::string &diphones);
void queloSetFactors(double durationFactor, double pitchFactor);
bool queloSpeak(const std::string &text);
bool queloIsPlaying();
void queloStop();
void queloClose();
// After queloClose: whether the output file was written whole (every
// sample, and its header at the end). False when no file was written.
bool queloOutputComplete();
// The message of the last initialisation step that failed.
const std::string &queloErrorText();

// Loads the five data files alone (no synthesizer), with the same defaults
// and messages as queloInit; for tools that stop at the phoneme lines.
bool queloLoadData(const std::string &rules, const std::string &exceptions,
                   const std::string &abbreviations, const std::string &prosody,
                   const std::string &diphones);

// How far queloPipeline takes a text.
enum class Stage { Tokens, Patterns, Phonemes, Lines };
// The list of lines of one stage of an utterance; Lines are the phoneme lines
// sent to the synthesizer. A blank text, which is not spoken, has none.
LineList queloPipeline(const std::string &text, Stage stage);

// A string value of the registry: the path is split at its last "\" into
// the key and the value's name (empty: the key's default value). False unless
// the value exists and is a string; the text has no terminating NUL.
bool readRegistryString(platform::RegistryRoot root, const std::string &path, std::string &text);

} // namespace quelo
