#include "tools/mbrvoice/voice_assembly.h"

#include "tools/mbrvoice/phone_set.h"

#include <algorithm>
#include <cmath>

namespace mbrvoice {
namespace {

size_t medianPeriod(const std::vector<PairUnit> &units) {
    std::vector<size_t> periods;
    for (const auto &u : units) {
        periods.push_back(u.unit.period);
    }
    std::nth_element(periods.begin(), periods.begin() + static_cast<long>(periods.size() / 2),
                     periods.end());
    return periods[periods.size() / 2];
}

} // namespace

mbrsynth::VoiceData assembleVoice(const std::vector<PairUnit> &units, uint32_t rate,
                                  const std::string &info) {
    mbrsynth::VoiceData voice;
    voice.sampleRate = rate;
    voice.defaultPitch = static_cast<uint32_t>(
        std::lround(static_cast<double>(rate) / static_cast<double>(medianPeriod(units))));
    for (const auto &phone : phoneSet()) {
        voice.phonemes.push_back(phone.name);
    }
    voice.info = info;
    for (const PairUnit &u : units) {
        mbrsynth::Diphone d;
        d.first = static_cast<uint16_t>(u.first);
        d.second = static_cast<uint16_t>(u.second);
        d.sampleStart = static_cast<uint32_t>(voice.samples.size());
        d.sampleCount = static_cast<uint32_t>(u.unit.samples.size());
        d.markStart = static_cast<uint32_t>(voice.marks.size());
        d.markCount = static_cast<uint32_t>(u.unit.marks.size());
        d.boundary = static_cast<uint32_t>(u.unit.boundary);
        for (const float s : u.unit.samples) {
            const float scaled = std::round(s * 32767.0f);
            voice.samples.push_back(static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f)));
        }
        for (const Mark &m : u.unit.marks) {
            voice.marks.push_back({static_cast<uint32_t>(m.position), m.voiced});
        }
        voice.diphones.push_back(d);
    }
    return voice;
}

} // namespace mbrvoice
