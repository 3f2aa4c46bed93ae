// Phoneme lines as the engine (or any caller of the library) writes them to
// the diphone synthesizer with the shipped voice: any text, written in
// pieces of any size between reads, at any output rate and volume, is
// parsed, refused line by line or rendered.
//   byte 0: output rate, byte 1: volume, byte 2: size of the written pieces,
//   the rest: the text.
#include "mbrsynth/synthesizer.h"
#include "tests/fuzz/fuzz_support.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

// Rendering stops after this many samples (three seconds at 16000 Hz): the
// lines may ask for hours of speech, which is no fault.
constexpr size_t MaxSamples = 16000 * 3;

// One synthesizer for every input (copying the voice would cost more than
// most inputs), reset to its first settings before each.
std::optional<mbrsynth::Synthesizer> synth;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    std::string error;
    auto voice = mbrsynth::Voice::open(fuzz_support::dataFile("talvek/quelotts/zbr1"), error);
    if (!voice)
        std::abort();
    synth.emplace(std::move(*voice));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 3)
        return 0;
    synth->reset();
    synth->setOutputRate(4000 + data[0] * 200);
    synth->setVolume(static_cast<float>(data[1]) / 64.0f);
    synth->setNoError(data[1] & 1);
    const size_t piece = data[2] + 1u;
    const std::string_view text = fuzz_support::asText(data + 3, size - 3);
    std::array<int16_t, 2048> out;
    size_t total = 0;
    const auto readSome = [&] {
        const size_t got = synth->read(out);
        if (got > out.size())
            __builtin_trap();
        total += got;
        return got;
    };
    for (size_t at = 0; at < text.size() && total < MaxSamples; at += piece) {
        synth->write(text.substr(at, piece));
        readSome();
    }
    synth->flush();
    while (total < MaxSamples && readSome() > 0) {
    }
    return 0;
}
