#include "tradutor/diphone/synthesizer_output.h"

#include "tradutor/speech/speech.h"
#include "tradutor/speech/wave_player.h"

#include <algorithm>
#include <array>
#include <memory>

namespace diphone::synth::output {
namespace {

constexpr size_t SilenceBlock = 100;
constexpr size_t NoiseSamples = 300;
constexpr uint8_t NoiseFloor = 88;
constexpr uint32_t NoiseRange = 80;
constexpr uint32_t SampleRate = 11025;

struct State {
    std::unique_ptr<std::array<uint8_t, BufferSize>> buffer;
    size_t writePos = HeaderSize;
};

State state;

} // namespace

void allocate() {
    if (!state.buffer)
        state.buffer = std::make_unique<std::array<uint8_t, BufferSize>>();
    state.writePos = HeaderSize;
}

void release() {
    state.buffer.reset();
    state.writePos = HeaderSize;
}

bool allocated() {
    return state.buffer != nullptr;
}

void clear() {
    state.writePos = HeaderSize;
}

void ensureRoom(size_t count) {
    if (state.writePos + count < BufferSize)
        return;
    flushOutput();
    speech::waitWhileSpeaking();
}

std::span<uint8_t> makeRoom(size_t count) {
    ensureRoom(count);
    const size_t room = BufferSize - 1 - state.writePos;
    return {state.buffer->data() + state.writePos, std::min(count, room)};
}

void commit(size_t count) {
    state.writePos = std::min(state.writePos + count, BufferSize - 1);
}

void emitSilence(int64_t count) {
    for (int64_t block = 0; block < count / static_cast<int64_t>(SilenceBlock); ++block) {
        const auto room = makeRoom(SilenceBlock);
        std::fill(room.begin(), room.end(), Silence);
        commit(room.size());
    }
}

void emitNoise() {
    const auto room = makeRoom(NoiseSamples);
    for (auto &sample : room)
        sample = static_cast<uint8_t>(NoiseFloor + speech::randomRange(NoiseRange));
    commit(room.size());
}

void flushOutput() {
    if (state.writePos == HeaderSize)
        return;
    auto *image = state.buffer->data();
    wave::buildWaveHeader(image, static_cast<uint32_t>(state.writePos - HeaderSize), SampleRate, 1,
                          8);
    speech::speakWaveImage(image, state.writePos);
    state.writePos = HeaderSize;
}

} // namespace diphone::synth::output
