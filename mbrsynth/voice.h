// A loaded voice: the database plus the lookups the synthesizer makes, and
// the names the caller may use for its phonemes (renamed or cloned ones).
#pragma once

#include "mbrsynth/voice_db.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace mbrsynth {

class Voice {
public:
    explicit Voice(VoiceData data);

    // Reads and checks a database file; nothing with a message on failure.
    static std::optional<Voice> open(const std::string &path, std::string &error);

    const VoiceData &data() const { return data_; }
    uint32_t sampleRate() const { return data_.sampleRate; }

    // The phoneme a caller's name stands for, if the voice has it.
    std::optional<uint16_t> phoneme(std::string_view name) const;
    // The diphone from first to second, or null when the voice lacks it.
    const Diphone *diphone(uint16_t first, uint16_t second) const;
    // Stand-ins for a missing diphone's halves: any unit that starts with
    // `first` (for its left half) or ends with `second` (for its right half),
    // the ones joined to silence first.
    const Diphone *anyStartingWith(uint16_t first) const;
    const Diphone *anyEndingWith(uint16_t second) const;

    // Renaming ("old new" pairs): the phoneme answers only to its new name.
    // Cloning ("old new" pairs): it answers to both. False on a malformed list
    // or an unknown old name.
    bool rename(std::string_view pairs, std::string &error);
    bool clone(std::string_view pairs, std::string &error);

private:
    bool applyPairs(std::string_view pairs, bool keepOld, std::string &error);
    const Diphone *preferSilence(uint16_t phoneme, bool asFirst) const;

    VoiceData data_;
    std::vector<int32_t> pairIndex_; // phonemes x phonemes, -1 when missing
    std::map<std::string, uint16_t, std::less<>> names_;
    std::optional<uint16_t> silence_;
};

} // namespace mbrsynth
