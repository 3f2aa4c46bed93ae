// The built-in engine's five shipped data files, loaded for harnesses that
// fuzz one of them (or the text), and the utterances they speak.
#pragma once

#include <string>

namespace quelo_data {

// Loads the shipped rules, exceptions, abbreviations, prosody and diphone
// list; ends the process when they do not load.
void loadShipped();

// Texts that reach every stage: numbers, ordinals, abbreviations, symbols,
// spelled consonant words, questions, ellipses, hyphens, accents.
inline constexpr const char *Texts[] = {
    "Ol\341, Sr. Silva! Tenho 25 anos e 3,5 kg; o 1\272 lugar \351 seu? Sim... talvez.",
    "Av. Brasil, n\272 1.234 - R$ 99,90 (20%) @ 10h30: www e-mail \"cita\347\343o\" & cia.",
    "-12 2\252 XYZ p\343o m\343e ir\343o l\352em h\355fen-tchau, mar\347o; 1999-2024? N\343o!",
};

// Every stage of the utterance for each text; the lines must be sound
// enough for the synthesizer.
void speakTexts();

} // namespace quelo_data
