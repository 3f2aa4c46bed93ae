// espeak-ng's library speaking phoneme strings at a flat pitch, with the
// sample position where each phoneme starts. One instance per process: the
// library keeps global state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mbrvoice {

struct PhonemeEvent {
    std::string mnemonic;
    size_t sample = 0; // in the utterance's samples
};

struct Spoken {
    std::vector<int16_t> samples;
    std::vector<PhonemeEvent> events;
};

class EspeakSpeaker {
public:
    // False (with a message) when the library or the voice cannot start.
    bool start(const std::string &voice, int speed, int pitch, std::string &error);
    ~EspeakSpeaker();
    int sampleRate() const { return rate_; }
    std::string version() const;
    // Phoneme mnemonics separated by '|', with stress marks.
    Spoken speak(const std::string &phonemes);

private:
    int rate_ = 0;
    bool started_ = false;
};

} // namespace mbrvoice
