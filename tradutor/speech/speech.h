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
// The rate a server of `kind` is started with for VELOCIDADE `rate`: above
// 10 it becomes 0, except for kind 4.
int32_t serverRateFor(int32_t rate, int32_t kind);
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
