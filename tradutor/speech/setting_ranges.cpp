#include "tradutor/speech/setting_ranges.h"

#include "tradutor/servers/server.h"

namespace speech {
namespace {

constexpr int32_t MaxScaledRate = 10;

bool takesScale(int32_t kind) {
    return kind == servers::ServerKindQuelo || kind == servers::ServerKindSapi5 ||
           kind == servers::ServerKindSapi5Second;
}

} // namespace

ServerSettings serverSettingsFor(int32_t kind, int32_t voice, int32_t rate, int32_t pitch) {
    if (kind != servers::ServerKindSapi4 && rate > MaxScaledRate)
        rate = 0;
    const bool scale = takesScale(kind);
    return {VoiceRange.clamp(voice), (scale ? ScaleRange : WordsPerMinuteRange).clamp(rate),
            (scale ? ScaleRange : PitchHzRange).clamp(pitch)};
}

} // namespace speech
