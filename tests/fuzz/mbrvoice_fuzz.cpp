// The diphone synthesizer's voice database: any image decodes or is refused
// with a reason, and a voice that decodes speaks phoneme lines over every
// pair of its phonemes without reading outside its tables. The checksum is
// put right before decoding, so that mutations reach the checks behind it.
#include "mbrsynth/synthesizer.h"
#include "mbrsynth/voice_db.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr size_t ChecksumOffset = 36;
// Enough output to render every phone written below, and a bound on the work.
constexpr size_t MaxSamples = 200000;

// Every phoneme after every other, with pitch points, then a flush.
std::string linesFor(const mbrsynth::VoiceData &voice) {
    std::string lines = "_ 30\n";
    const size_t count = std::min<size_t>(voice.phonemes.size(), 6);
    for (size_t i = 0; i < count; ++i)
        for (size_t j = 0; j < count; ++j)
            lines += voice.phonemes[i] + " 40 20 " + std::to_string(90 + 30 * j) + "\n" +
                     voice.phonemes[j] + " 25\n";
    return lines + "_ 30 50 100\n#\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<uint8_t> image(data, data + size);
    if (image.size() >= mbrsynth::kHeaderBytes) {
        const uint32_t sum =
            mbrsynth::voiceChecksum(std::span(image).subspan(mbrsynth::kHeaderBytes));
        for (size_t i = 0; i < 4; ++i)
            image[ChecksumOffset + i] = static_cast<uint8_t>(sum >> (8 * i));
    }
    std::string error;
    auto decoded = mbrsynth::decodeVoice(image, error);
    if (!decoded) {
        if (error.empty())
            __builtin_trap();
        return 0;
    }
    const std::string lines = linesFor(*decoded);
    mbrsynth::Synthesizer synth{mbrsynth::Voice(std::move(*decoded))};
    synth.write(lines);
    synth.flush();
    std::array<int16_t, 4096> out;
    for (size_t total = 0; total < MaxSamples;) {
        const size_t got = synth.read(out);
        if (got == 0)
            break;
        if (got > out.size())
            __builtin_trap();
        total += got;
    }
    return 0;
}
