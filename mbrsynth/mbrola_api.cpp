// The C entry points over one library-wide state. Every call catches what
// the core may throw (only allocation failures), so nothing crosses the C
// boundary; calls before a successful init_MBR report "not initialised".
#include "mbrsynth/mbrola_api.h"

#include "mbrsynth/sample_formats.h"
#include "mbrsynth/synthesizer.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using mbrsynth::ErrorCode;

// The C header's codes are what lastError_MBR hands out from the core's
// codes: the two lists must name the same numbers.
constexpr bool sameCode(int published, ErrorCode core) {
    return published == static_cast<int>(core);
}
static_assert(sameCode(MBR_ERROR_DATABASE_MISSING, ErrorCode::DatabaseMissing));
static_assert(sameCode(MBR_ERROR_DATABASE_INVALID, ErrorCode::DatabaseInvalid));
static_assert(sameCode(MBR_ERROR_UNKNOWN_PHONEME, ErrorCode::UnknownPhoneme));
static_assert(sameCode(MBR_ERROR_MISSING_DIPHONE, ErrorCode::MissingDiphone));
static_assert(sameCode(MBR_ERROR_BAD_LINE, ErrorCode::BadLine));
static_assert(sameCode(MBR_ERROR_LINE_TOO_LONG, ErrorCode::LineTooLong));
static_assert(sameCode(MBR_ERROR_QUEUE_FULL, ErrorCode::QueueFull));
static_assert(sameCode(MBR_ERROR_BAD_ARGUMENT, ErrorCode::BadArgument));
static_assert(sameCode(MBR_ERROR_NOT_INITIALISED, ErrorCode::NotInitialised));

constexpr const char *kVersion = "zebmbr 1.0";
constexpr int kMaxReadChunk = 1 << 20;

struct LibraryState {
    std::optional<mbrsynth::Synthesizer> synth;
    ErrorCode initError = ErrorCode::NotInitialised;
    std::string initErrorText = "the synthesizer has not been initialised";
    bool noError = false;
    int rate = 0; // 0: the voice's own
    float volume = 1.0f;
    std::vector<int16_t> conversion;
};

LibraryState &state() {
    static LibraryState instance;
    return instance;
}

template <typename Result, typename Body> Result guarded(Result fallback, Body body) {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

int copyText(char *buffer, int size, const std::string &text) {
    if (!buffer || size <= 0) {
        return 0;
    }
    const size_t count = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<int>(count);
}

int openVoice(const char *path, const char *rename, const char *clone) {
    LibraryState &s = state();
    s.synth.reset();
    if (!path) {
        s.initError = ErrorCode::BadArgument;
        s.initErrorText = "no database name given";
        return static_cast<int>(s.initError);
    }
    std::string error;
    auto voice = mbrsynth::Voice::open(path, error);
    if (voice &&
        ((rename && !voice->rename(rename, error)) || (clone && !voice->clone(clone, error)))) {
        voice.reset();
    }
    if (!voice) {
        s.initError = error.rfind("cannot open", 0) == 0 ? ErrorCode::DatabaseMissing
                                                         : ErrorCode::DatabaseInvalid;
        s.initErrorText = error;
        return static_cast<int>(s.initError);
    }
    s.synth.emplace(std::move(*voice));
    s.synth->setNoError(s.noError);
    s.synth->setVolume(s.volume);
    if (s.rate > 0) {
        s.synth->setOutputRate(s.rate);
    }
    return 0;
}

struct Phone {
    std::string name;
    float length = 0;
    std::vector<std::pair<float, float>> points;
};

} // namespace

extern "C" {

int MBR_API init_MBR(char *dbaseName) {
    return guarded(static_cast<int>(ErrorCode::DatabaseInvalid),
                   [&] { return openVoice(dbaseName, nullptr, nullptr); });
}

int MBR_API init_rename_MBR(char *dbaseName, char *rename, char *clone) {
    return guarded(static_cast<int>(ErrorCode::DatabaseInvalid),
                   [&] { return openVoice(dbaseName, rename, clone); });
}

int MBR_API write_MBR(char *buffer) {
    auto &synth = state().synth;
    if (!synth || !buffer) {
        return static_cast<int>(synth ? ErrorCode::BadArgument : ErrorCode::NotInitialised);
    }
    return guarded(static_cast<int>(ErrorCode::QueueFull), [&] {
        const size_t length = std::strlen(buffer);
        synth->write(std::string_view(buffer, length));
        return static_cast<int>(std::min<size_t>(length, 0x7FFFFFFF));
    });
}

int MBR_API flush_MBR(void) {
    auto &synth = state().synth;
    if (!synth) {
        return static_cast<int>(ErrorCode::NotInitialised);
    }
    return guarded(static_cast<int>(ErrorCode::QueueFull), [&] {
        synth->flush();
        return 1;
    });
}

int MBR_API read_MBR(short *buffer, int nbWanted) {
    auto &synth = state().synth;
    if (!synth || !buffer || nbWanted <= 0) {
        return 0;
    }
    return guarded(0, [&] {
        const auto wanted = static_cast<size_t>(std::min(nbWanted, kMaxReadChunk));
        return static_cast<int>(synth->read(std::span<int16_t>(buffer, wanted)));
    });
}

int MBR_API readtype_MBR(void *buffer, int nbWanted, int audioType) {
    LibraryState &s = state();
    if (audioType == MBR_LIN16) {
        return read_MBR(static_cast<short *>(buffer), nbWanted);
    }
    if (!s.synth || !buffer || nbWanted <= 0 ||
        (audioType != MBR_LIN8 && audioType != MBR_ULAW && audioType != MBR_ALAW)) {
        return 0;
    }
    return guarded(0, [&] {
        s.conversion.resize(static_cast<size_t>(std::min(nbWanted, kMaxReadChunk)));
        const size_t count = s.synth->read(s.conversion);
        auto *bytes = static_cast<uint8_t *>(buffer);
        for (size_t i = 0; i < count; ++i) {
            const int16_t v = s.conversion[i];
            bytes[i] = audioType == MBR_LIN8   ? mbrsynth::toLinear8(v)
                       : audioType == MBR_ULAW ? mbrsynth::toMuLaw(v)
                                               : mbrsynth::toALaw(v);
        }
        return static_cast<int>(count);
    });
}

void MBR_API close_MBR(void) {
    LibraryState &s = state();
    s.synth.reset();
    s.conversion = {};
    s.initError = ErrorCode::NotInitialised;
    s.initErrorText = "the synthesizer has been closed";
}

int MBR_API reset_MBR(void) {
    auto &synth = state().synth;
    if (synth) {
        synth->reset();
    }
    return synth ? 1 : 0;
}

int MBR_API lastError_MBR(void) {
    const LibraryState &s = state();
    return static_cast<int>(s.synth ? s.synth->lastError() : s.initError);
}

int MBR_API lastErrorStr_MBR(char *buffer, int size) {
    const LibraryState &s = state();
    return guarded(0, [&] {
        return copyText(buffer, size, s.synth ? s.synth->lastErrorText() : s.initErrorText);
    });
}

void MBR_API setNoError_MBR(int noError) {
    LibraryState &s = state();
    s.noError = noError != 0;
    if (s.synth) {
        s.synth->setNoError(s.noError);
    }
}

int MBR_API getNoError_MBR(void) {
    return state().noError ? 1 : 0;
}

void MBR_API setFreq_MBR(int freq) {
    LibraryState &s = state();
    s.rate = std::clamp(freq, mbrsynth::kMinOutputRate, mbrsynth::kMaxOutputRate);
    if (s.synth) {
        s.synth->setOutputRate(s.rate);
    }
}

int MBR_API getFreq_MBR(void) {
    const LibraryState &s = state();
    return s.synth ? s.synth->outputRate() : (s.rate ? s.rate : 16000);
}

void MBR_API setVolumeRatio_MBR(float ratio) {
    LibraryState &s = state();
    if (s.synth) {
        s.synth->setVolume(ratio);
        s.volume = s.synth->volume();
    } else if (ratio >= 0.0f && ratio <= 16.0f) {
        s.volume = ratio;
    }
}

float MBR_API getVolumeRatio_MBR(void) {
    return state().volume;
}

int MBR_API getVersion_MBR(char *buffer, int size) {
    return copyText(buffer, size, kVersion);
}

int MBR_API getDatabaseInfo_MBR(char *buffer, int size, int index) {
    const auto &synth = state().synth;
    if (!synth || index < 0 || index > 1) {
        return 0;
    }
    return guarded(0, [&] {
        const mbrsynth::VoiceData &data = synth->voice().data();
        if (index == 0) {
            return copyText(buffer, size, data.info);
        }
        const std::string figures = std::to_string(data.phonemes.size()) + " phonemes, " +
                                    std::to_string(data.diphones.size()) + " diphones, " +
                                    std::to_string(data.sampleRate) + " Hz, pitch " +
                                    std::to_string(data.defaultPitch) + " Hz";
        return copyText(buffer, size, figures);
    });
}

void MBR_API setParser_MBR(void *parser) {
    (void)parser;
}

void *MBR_API init_Phone(char *name, float length) {
    if (!name) {
        return nullptr;
    }
    return guarded<void *>(nullptr, [&] {
        return static_cast<void *>(new Phone{std::string(name, strnlen(name, 64)), length, {}});
    });
}

void MBR_API reset_Phone(void *phone) {
    if (phone) {
        static_cast<Phone *>(phone)->points.clear();
    }
}

void MBR_API close_Phone(void *phone) {
    delete static_cast<Phone *>(phone);
}

void MBR_API appendf0_Phone(void *phone, float position, float frequency) {
    auto *p = static_cast<Phone *>(phone);
    if (p && p->points.size() < mbrsynth::kMaxPointsPerPhone) {
        guarded(0, [&] {
            p->points.emplace_back(position, frequency);
            return 0;
        });
    }
}

} // extern "C"
