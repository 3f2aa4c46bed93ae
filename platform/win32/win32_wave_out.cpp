// The wave-out device: waveOutOpen with window notification, so that every
// finished block comes back to the console window as MM_WOM_DONE, which the
// window procedure turns into Msg::WaveDone with the block's id.
#include "platform/win32/win32_internal.h"

#include <array>

namespace win32_backend {

namespace {

constexpr size_t BlockCapacity = 16;
constexpr int32_t WaveInvalidParam = 11; // MMSYSERR_INVALPARAM

struct Block {
    WAVEHDR header{};
    bool prepared = false;
};

struct WaveOutState {
    HWAVEOUT device = nullptr;
    std::array<Block, BlockCapacity> blocks{};
};

WaveOutState state;

Block *preparedBlock(uint32_t blockId) {
    for (Block &block : state.blocks)
        if (block.prepared && block.header.dwUser == blockId)
            return &block;
    return nullptr;
}

Block *freeBlock() {
    for (Block &block : state.blocks)
        if (!block.prepared)
            return &block;
    return nullptr;
}

void unprepare(Block &block) {
    waveOutUnprepareHeader(state.device, &block.header, sizeof block.header);
    block = Block{};
}

} // namespace

void shutdownWaveOut() {
    platform::waveClose();
}

} // namespace win32_backend

namespace platform {

using namespace win32_backend;

int32_t waveOpen(const WaveFormat &format) {
    if (state.device != nullptr)
        waveClose();
    if (window() == nullptr)
        return WaveNoDriver;
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = format.channels;
    wfx.nSamplesPerSec = format.rate;
    wfx.wBitsPerSample = format.bits;
    wfx.nBlockAlign = static_cast<WORD>(format.channels * format.bits / 8);
    wfx.nAvgBytesPerSec = format.rate * wfx.nBlockAlign;
    HWAVEOUT device = nullptr;
    const MMRESULT result = waveOutOpen(&device, WAVE_MAPPER, &wfx,
                                        reinterpret_cast<DWORD_PTR>(window()), 0, CALLBACK_WINDOW);
    if (result != MMSYSERR_NOERROR)
        return static_cast<int32_t>(result);
    state.device = device;
    return WaveOk;
}

int32_t waveWrite(uint32_t blockId, const uint8_t *data, uint32_t length) {
    if (state.device == nullptr)
        return WaveInvalidHandle;
    if (data == nullptr && length > 0)
        return WaveInvalidParam;
    Block *block = freeBlock();
    if (block == nullptr)
        return WaveNoMem;
    // The device only reads the block.
    block->header.lpData = reinterpret_cast<LPSTR>(const_cast<uint8_t *>(data));
    block->header.dwBufferLength = length;
    block->header.dwUser = blockId;
    MMRESULT result = waveOutPrepareHeader(state.device, &block->header, sizeof block->header);
    if (result != MMSYSERR_NOERROR) {
        *block = Block{};
        return static_cast<int32_t>(result);
    }
    block->prepared = true;
    result = waveOutWrite(state.device, &block->header, sizeof block->header);
    if (result != MMSYSERR_NOERROR)
        unprepare(*block);
    return static_cast<int32_t>(result);
}

int32_t waveUnprepare(uint32_t blockId) {
    Block *block = preparedBlock(blockId);
    if (state.device == nullptr || block == nullptr)
        return WaveInvalidHandle;
    const MMRESULT result =
        waveOutUnprepareHeader(state.device, &block->header, sizeof block->header);
    if (result == MMSYSERR_NOERROR)
        *block = Block{};
    return static_cast<int32_t>(result);
}

void waveReset() {
    if (state.device != nullptr)
        waveOutReset(state.device);
}

void waveClose() {
    if (state.device == nullptr)
        return;
    waveOutReset(state.device);
    for (Block &block : state.blocks)
        if (block.prepared)
            unprepare(block);
    waveOutClose(state.device);
    state.device = nullptr;
}

} // namespace platform
