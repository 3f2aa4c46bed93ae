// The speech façade: the one door through which the program speaks, and the
// lookup of values in the shared configuration file ZEBUNA.INI.
#pragma once

#include <cstdint>
#include <string>

namespace speech {

// Starts COM for the program's thread (the SAPI engines need it) and the
// façade's own state; moduleEnd ends COM again.
void moduleStart();
void moduleEnd();

// Value of section/key of ZEBUNA.INI with "@" resolved to the system root.
std::string readConfig(const std::string &section, const std::string &key);

void initSpeech(int32_t speed, const std::string &soundDir);

// The [SINTETIZADOR] settings of one speed, each number held to its range
// (setting_ranges.h).
struct SynthSettings {
    std::string voiceName;     // DIFONESs
    int32_t unitCut = 0;       // CORTEFONs
    int32_t unitKeep = 0;      // SOBRAFONs
    int32_t wordGap = 0;       // INTERPALs
    bool compression = false;  // CORTAFALAs
    bool speedUp = false;      // RAPIDINHOs
    int32_t pauseFullStop = 0; // PAUSAPONTOs, ms
    int32_t pauseComma = 0;    // PAUSAVIRGs
    int32_t pauseColon = 0;    // PAUSADOISPONTOSs
};
SynthSettings readSynthSettings(int32_t speed);
// Reads them and hands them to the native voice, the wave player and the
// façade's pauses.
void loadSynthSettings(int32_t speed);
void speakText(const std::string &text);
void speakMessage(const std::string &name);
void speakChar(uint8_t c);
void spellText(const std::string &text);
bool isSpeaking();
void stopSpeech();
void waitServerIdle();
void speakWaveImage(const uint8_t *image, size_t size);
void playClick();
void pauseMs(int32_t ms);
void speakPunctuation(const std::string &text);
std::string upperLatin1(const std::string &text);
void doneSpeech();

// Waits while isSpeaking(), blocking in the message wait between polls.
void waitWhileSpeaking();

// Program-wide pseudo-random generator.
uint32_t randomRange(uint32_t range);
void setRandomSeed(uint32_t seed);

} // namespace speech
