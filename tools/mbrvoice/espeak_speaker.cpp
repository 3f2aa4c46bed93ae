#include "tools/mbrvoice/espeak_speaker.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cstring>

namespace mbrvoice {
namespace {

int collect(short *wav, int count, espeak_EVENT *events) {
    auto *spoken = static_cast<Spoken *>(events->user_data);
    if (wav && count > 0) {
        spoken->samples.insert(spoken->samples.end(), wav, wav + count);
    }
    for (; events->type != espeakEVENT_LIST_TERMINATED; ++events) {
        if (events->type == espeakEVENT_PHONEME) {
            const std::string name(events->id.string, strnlen(events->id.string, 8));
            spoken->events.push_back({name, static_cast<size_t>(std::max(0, events->sample))});
        }
    }
    return 0;
}

} // namespace

bool EspeakSpeaker::start(const std::string &voice, int speed, int pitch, std::string &error) {
    rate_ = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr,
                              espeakINITIALIZE_PHONEME_EVENTS | espeakINITIALIZE_DONT_EXIT);
    if (rate_ <= 0) {
        error = "espeak-ng's library cannot start";
        return false;
    }
    started_ = true;
    if (espeak_SetVoiceByName(voice.c_str()) != EE_OK) {
        error = "espeak-ng has no voice " + voice;
        return false;
    }
    espeak_SetParameter(espeakRATE, speed, 0);
    espeak_SetParameter(espeakPITCH, pitch, 0);
    espeak_SetParameter(espeakRANGE, 0, 0); // monotone: one pitch for every unit
    espeak_SetSynthCallback(collect);
    return true;
}

EspeakSpeaker::~EspeakSpeaker() {
    if (started_) {
        espeak_Terminate();
    }
}

std::string EspeakSpeaker::version() const {
    return espeak_Info(nullptr);
}

Spoken EspeakSpeaker::speak(const std::string &phonemes) {
    Spoken spoken;
    const std::string text = "[[" + phonemes + "]]";
    espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0,
                 espeakPHONEMES | espeakCHARS_UTF8, nullptr, &spoken);
    espeak_Synchronize();
    return spoken;
}

} // namespace mbrvoice
