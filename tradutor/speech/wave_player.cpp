// The wave player: RIFF/WAVE files, in-memory WAV images and raw sample
// blocks through the wave-out device, four blocks at most on the device, the
// device open only while something is queued, a pending key cutting the sound.
#include "tradutor/speech/wave_player.h"

#include "console/console.h"
#include "platform/file.h"
#include "platform/wav_format.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace wave {
namespace {

constexpr int32_t NotPlayable = -1;
constexpr int OpenAttempts = 100;
constexpr uint16_t OpenRetryMs = 100;
constexpr int FreeBufferPolls = 40; // 40 x 50 ms: a block waits 2 s at most
constexpr uint16_t FreeBufferPollMs = 50;
constexpr uint16_t FullQueuePollMs = 10;
constexpr uint32_t MinDeviceLength = 256;
constexpr uint32_t ShortLastBlockLimit = BlockSize + MinDeviceLength;
constexpr uint32_t EvenedBlockSize = 65278;
constexpr uint8_t Silence8 = 128;

struct State {
    bool deviceOpen = false;
    platform::WaveFormat format{0, 0, 0};
    std::array<std::unique_ptr<uint8_t[]>, MaxQueued> blocks; // BlockSize bytes each
    std::unique_ptr<uint8_t[]> readBuffer;                    // file data on its way to the device
    std::unique_ptr<uint8_t[]> compressBuffer; // a block being shortened by compressSpeech
    uint32_t lastBlock = 0;                    // 1..MaxQueued, round robin
    int queued = 0;                            // changed only by queueBlock and onBlockDone
    bool interruptByKey = true;
    bool speedUp = false;
    bool compression = false;
    std::string soundName; // announced to the transcript with the sound's first block
};

State state;

bool keyInterrupts() {
    return state.interruptByKey && console::keyPressed();
}

bool isPlayableFormat(const platform::WaveFormat &format) {
    return format.rate > 0 && format.channels > 0 && (format.bits == 8 || format.bits == 16);
}

platform::WaveFormat deviceFormat(const wav::Format &format) {
    return platform::WaveFormat{format.rate, format.bits, format.channels};
}

std::string baseName(const std::string &path) {
    const size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

void waitUntilSilent() {
    while (isWavePlaying())
        console::waitMessage();
}

void onBlockDone(uint32_t blockId);

int32_t openWaveDevice() {
    if (state.deviceOpen)
        return platform::WaveOk;
    console::setWaveDoneHandler(onBlockDone);
    int32_t result = platform::waveOpen(state.format);
    for (int attempt = 1; result == platform::WaveAllocated && attempt < OpenAttempts; ++attempt) {
        console::delayMs(OpenRetryMs);
        result = platform::waveOpen(state.format);
    }
    state.deviceOpen = result == platform::WaveOk;
    return result;
}

// A new format waits for the sound in the other format to end (the device
// closes when the queue drains); the same format keeps the device open.
int32_t setWaveFormat(uint32_t rate, uint16_t bits, uint16_t channels) {
    const platform::WaveFormat &current = state.format;
    if (rate != current.rate || bits != current.bits || channels != current.channels) {
        waitUntilSilent();
        state.format = platform::WaveFormat{rate, bits, channels};
    }
    return openWaveDevice();
}

const char *unprepareErrorText(int32_t result) {
    switch (result) {
    case platform::WaveInvalidHandle:
        return "Specified device handle is invalid.";
    case platform::WaveNoDriver:
        return "No device driver is present.";
    case platform::WaveNoMem:
        return "Unable to allocate or lock memory.";
    case platform::WaveStillPlaying:
        return "The data block pointed to by the pwh parameter is still in queue";
    default:
        return "";
    }
}

void onBlockDone(uint32_t blockId) {
    if (blockId < 1 || blockId > MaxQueued)
        return;
    const int32_t result = platform::waveUnprepare(blockId);
    if (result != platform::WaveOk) {
        const std::string text = unprepareErrorText(result);
        if (!text.empty())
            console::write(text);
        console::readLineText();
    }
    if (state.queued > 0)
        --state.queued;
}

void announceSound() {
    if (state.soundName.empty())
        return;
    platform::trace::soundStart(state.soundName);
    state.soundName.clear();
}

bool queueBlock(const uint8_t *samples, uint32_t length) {
    for (int poll = 0; state.queued >= MaxQueued && poll < FreeBufferPolls; ++poll) {
        console::processMessages();
        console::delayMs(FreeBufferPollMs);
    }
    if (state.queued >= MaxQueued)
        return false;

    const uint32_t previousBlock = state.lastBlock;
    ++state.queued;
    state.lastBlock = state.lastBlock % MaxQueued + 1;
    uint8_t *block = state.blocks[state.lastBlock - 1].get();
    const uint32_t deviceLength =
        fillBlock(block, samples, length, state.format.bits, state.format.channels);
    announceSound();
    if (platform::waveWrite(state.lastBlock, block, deviceLength) != platform::WaveOk) {
        // The slot goes back whole, so the next block does not take a buffer
        // that the device still holds.
        --state.queued;
        state.lastBlock = previousBlock;
        return false;
    }
    return true;
}

uint32_t fastRate(uint32_t rate) {
    return rate + rate / 2; // 1.5 x, truncated: 11025 gives 16537
}

// "RIFF" at 0 and "fmt " at 12 (the format tag is not checked).
bool readFileFormat(platform::File &file, platform::WaveFormat &format) {
    wav::Format fields;
    if (!wav::readFileFormat(file, fields))
        return false;
    format = deviceFormat(fields);
    return isPlayableFormat(format);
}

// Plays the data chunk block by block. A file shorter than its chunk claims
// plays what it holds.
int32_t playDataChunk(platform::File &file, const platform::WaveFormat &format) {
    uint32_t remaining = 0;
    if (!wav::findFileData(file, remaining))
        return 0;
    bool playedAny = false;
    while (remaining > 0) {
        const uint32_t size = blockSizeFor(remaining);
        remaining -= size;
        const size_t got = file.read(state.readBuffer.get(), size);
        if (got == 0)
            return playedAny ? 0 : NotPlayable;
        playedAny = true;
        const int32_t result = playSamples(state.readBuffer.get(), static_cast<uint32_t>(got),
                                           format.rate, format.channels, format.bits);
        if (result != 0 || keyInterrupts())
            return result;
    }
    return 0;
}

struct PitchSearch {
    uint32_t start;     // where the first peak is looked for
    uint32_t minPeriod; // shortest pitch period
    uint32_t window;    // how far beyond the shortest period a peak may lie
};

PitchSearch pitchSearchFor(uint32_t rate) {
    if (rate == 11025)
        return PitchSearch{200, 80, 50};
    return PitchSearch{800, 320, 200};
}

// Index of the first largest sample of buffer[from..to], both included;
// `fallback` when no sample there exceeds 0.
uint32_t firstPeak(const uint8_t *buffer, uint32_t from, uint32_t to, uint32_t fallback) {
    uint32_t peak = fallback;
    uint8_t highest = 0;
    for (uint32_t i = from; i <= to; ++i) {
        if (buffer[i] > highest) {
            highest = buffer[i];
            peak = i;
        }
    }
    return peak;
}

// Signed 16-bit samples become unsigned 8-bit ones (their high bytes) in place.
uint32_t narrowTo8Bits(uint8_t *buffer, uint32_t length) {
    const uint32_t samples = length / 2;
    for (uint32_t i = 0; i < samples; ++i)
        buffer[i] = static_cast<uint8_t>(buffer[2 * i + 1] ^ 0x80);
    return samples;
}

} // namespace

void moduleStart() {
    state = State{};
    for (auto &block : state.blocks)
        block = std::make_unique<uint8_t[]>(BlockSize);
    state.readBuffer = std::make_unique<uint8_t[]>(BlockSize);
    state.compressBuffer = std::make_unique<uint8_t[]>(BlockSize);
}

void moduleEnd() {
    stopWave();
    state = State{};
}

bool interruptByKey() {
    return state.interruptByKey;
}
void setSpeedUp(bool on) {
    state.speedUp = on;
}
bool speedUp() {
    return state.speedUp;
}
void setCompression(bool on) {
    state.compression = on;
}
bool compression() {
    return state.compression;
}
int queuedCount() {
    return state.queued;
}
platform::WaveFormat currentFormat() {
    return state.format;
}

bool isWavePlaying() {
    console::processMessages();
    if (keyInterrupts() || state.queued == 0)
        stopWave();
    return state.queued > 0;
}

void stopWave() {
    if (!state.deviceOpen)
        return;
    if (state.queued > 0)
        platform::waveReset();
    console::processMessages(); // the done notices of the reset blocks
    platform::waveClose();
    console::processMessages();
    state.deviceOpen = false;
}

uint32_t blockSizeFor(uint32_t remaining) {
    if (remaining <= BlockSize)
        return remaining;
    if (remaining < ShortLastBlockLimit)
        return EvenedBlockSize; // leaves a last block of at least 256 bytes
    return BlockSize;
}

uint32_t fillBlock(uint8_t *block, const uint8_t *samples, uint32_t length, uint16_t bits,
                   uint16_t channels) {
    length = std::min(length, BlockSize);
    const bool mono8 = bits == 8 && channels == 1;
    // The device gets at least 256 bytes; what the samples do not cover is
    // silence in the block's own format.
    if (length < MinDeviceLength)
        std::memset(block + length, bits == 8 ? Silence8 : 0, MinDeviceLength - length);
    std::memcpy(block, samples, length);
    // A short 8-bit mono block ends on silence, so the device stops without a click.
    if (mono8 && length != BlockSize && length > 0)
        block[length - 1] = Silence8;
    return std::max(length, MinDeviceLength);
}

uint32_t compressSpeech(uint8_t *buffer, uint32_t length, uint16_t bits, uint32_t rate) {
    uint32_t n = bits == 16 ? narrowTo8Bits(buffer, length) : length;
    if (n < 1000)
        return n;
    const PitchSearch search = pitchSearchFor(rate);
    const uint32_t span = search.minPeriod + search.window;
    uint32_t read = firstPeak(buffer, search.start, std::min(search.start + span, n - 1), 0);
    uint32_t write = read;
    // Of every two pitch periods the first is dropped and the second kept.
    // A window without any sample above 0 yields its own start as the peak,
    // so the read position always moves on.
    while (read + 2 * span < n) {
        const uint32_t from1 = read + search.minPeriod;
        const uint32_t peak1 = firstPeak(buffer, from1, from1 + search.window, from1);
        const uint32_t from2 = peak1 + search.minPeriod;
        const uint32_t peak2 = firstPeak(buffer, from2, from2 + search.window, from2);
        const uint32_t kept = peak2 - peak1 + 1;
        std::memmove(buffer + write, buffer + peak1, kept);
        write += kept;
        read = peak2;
    }
    // The tail is copied on until the sound comes near silence.
    while (read < n && std::abs(buffer[write] - 128) > 20) {
        buffer[write] = buffer[read];
        ++write;
        ++read;
    }
    return write;
}

int32_t playSamples(const uint8_t *samples, uint32_t length, uint32_t rate, uint16_t channels,
                    uint16_t bits) {
    if (state.speedUp)
        rate = fastRate(rate);
    const bool compress = state.compression && channels == 1;
    const uint16_t deviceBits = compress && bits == 16 ? uint16_t{8} : bits;
    const int32_t opened = setWaveFormat(rate, deviceBits, channels);
    if (opened != platform::WaveOk)
        return opened;
    while (length > 0) {
        while (state.queued >= MaxQueued) {
            if (keyInterrupts()) {
                stopWave();
                return 0;
            }
            console::delayMs(FullQueuePollMs);
        }
        if (keyInterrupts()) {
            stopWave();
            return 0;
        }
        const uint32_t n = std::min(length, BlockSize);
        const uint8_t *block = samples;
        uint32_t m = n;
        if (compress) {
            std::memcpy(state.compressBuffer.get(), samples, n);
            block = state.compressBuffer.get();
            m = compressSpeech(state.compressBuffer.get(), n, bits, rate);
        }
        if (m > 0)
            queueBlock(block, m);
        samples += n;
        length -= n;
    }
    return 0;
}

int32_t playWaveFile(const std::string &path) {
    if (keyInterrupts())
        return 0;
    platform::File file;
    platform::WaveFormat format;
    if (!file.open(path) || !readFileFormat(file, format))
        return NotPlayable;
    state.soundName = baseName(path);
    const int32_t result = playDataChunk(file, format);
    state.soundName.clear();
    file.close();
    waitUntilSilent();
    return result;
}

void playWaveImage(const uint8_t *image, size_t size) {
    // Images are built by the program, but their lengths are still checked
    // against the size of the memory they live in.
    const auto layout = wav::parseImage({image, size}, wav::Chunks::FormatFirst);
    if (!layout || !isPlayableFormat(deviceFormat(layout->format)))
        return;
    state.soundName = "image";
    playSamples(image + layout->dataStart, layout->dataLength, layout->format.rate,
                layout->format.channels, layout->format.bits);
    state.soundName.clear();
}

void buildWaveHeader(uint8_t *image, uint32_t dataLength, uint32_t rate, uint16_t channels,
                     uint16_t bits) {
    wav::writeHeader(image, dataLength, rate, channels, bits);
}

} // namespace wave
