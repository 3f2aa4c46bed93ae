// The ranges the numbers of ZEBUNA.INI that the speech layer reads are held
// to before use: a value outside its range is taken as the nearest end of
// it. Each range holds every value a player would set, and keeps a setting
// from making the program allocate without bound, speak for hours or
// overflow its arithmetic. The comments of the shipped ZEBUNA.INI and the
// manual pages give the same ranges.
#pragma once

#include <cstdint>

namespace speech {

struct SettingRange {
    int32_t low;
    int32_t high;
    constexpr int32_t clamp(int32_t value) const {
        return value < low ? low : value > high ? high : value;
    }
};

// [SINTETIZADOR], for each speed: the native voice's timing in samples at
// 11025 per second, and the punctuation pauses in milliseconds.
inline constexpr SettingRange UnitCutRange{0, 11025};  // CORTEFONs: up to 1 s
inline constexpr SettingRange UnitKeepRange{0, 65535}; // SOBRAFONs: the longest unit
inline constexpr SettingRange WordGapRange{0, 22050};  // INTERPALs: up to 2 s
inline constexpr SettingRange PauseRange{0, 5000};     // PAUSAPONTOs, PAUSAVIRGs, PAUSADOISPONTOSs

// [SERVFALA]. VOZ: a negative number keeps its meaning (no SAPI 4 engine,
// the first SAPI 5 voice), and 999 is past the end of any voice list.
inline constexpr SettingRange VoiceRange{-1, 999};
// VELOCIDADE and TOM of the built-in engine and the SAPI 5 kinds.
inline constexpr SettingRange ScaleRange{-10, 10};
// VELOCIDADE (words per minute) and TOM (Hz) of the SAPI 4 kinds; 0 keeps
// the engine's own.
inline constexpr SettingRange WordsPerMinuteRange{0, 1000};
inline constexpr SettingRange PitchHzRange{0, 1000};

// The voice, rate and pitch a server of `kind` is started with for VOZ,
// VELOCIDADE and TOM: a rate above 10 is 0 except for kind 4, whose rate is
// in words per minute; then each is held to the kind's range.
struct ServerSettings {
    int32_t voice = 0;
    int32_t rate = 0;
    int32_t pitch = 0;
};
ServerSettings serverSettingsFor(int32_t kind, int32_t voice, int32_t rate, int32_t pitch);

} // namespace speech
