#include "tradutor/quelo/mbrola_driver.h"

#include "platform/platform.h"
#include "platform/wav_format.h"
#include "tradutor/speech/wave_player.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace quelo {
namespace {

using InitFn = int(ZEB_MBR_CALL *)(char *);
using WriteFn = int(ZEB_MBR_CALL *)(char *);
using VoidIntFn = int(ZEB_MBR_CALL *)();
using ReadFn = int(ZEB_MBR_CALL *)(short *, int);
using CloseFn = void(ZEB_MBR_CALL *)();
using SetNoErrorFn = void(ZEB_MBR_CALL *)(int);

// Every name must be present, in this order, although only eight are called.
constexpr std::array<const char *, 23> EntryNames = {
    "init_MBR",       "init_rename_MBR",     "write_MBR",          "flush_MBR",
    "read_MBR",       "readtype_MBR",        "close_MBR",          "reset_MBR",
    "lastError_MBR",  "lastErrorStr_MBR",    "setNoError_MBR",     "getNoError_MBR",
    "setFreq_MBR",    "getFreq_MBR",         "setVolumeRatio_MBR", "getVolumeRatio_MBR",
    "getVersion_MBR", "getDatabaseInfo_MBR", "setParser_MBR",      "init_Phone",
    "reset_Phone",    "close_Phone",         "appendf0_Phone"};

struct Entries {
    InitFn init = nullptr;
    WriteFn write = nullptr;
    VoidIntFn flush = nullptr;
    ReadFn read = nullptr;
    CloseFn close = nullptr;
    VoidIntFn reset = nullptr;
    VoidIntFn lastError = nullptr;
    SetNoErrorFn setNoError = nullptr;
};

constexpr size_t ReadBytes = size_t{ReadSamples} * 2;
constexpr size_t PlayAreaBytes = 2 * ReadBytes;
constexpr int32_t ImageThreshold = ReadSamples; // bytes: half a second

struct Driver {
    platform::LibraryHandle library = nullptr;
    Entries entries;
    std::array<short, ReadSamples> readBuffer{};
    // The play image: the WAV header directly followed by the sample area.
    std::array<uint8_t, wave::HeaderSize + PlayAreaBytes> playImage{};
    int32_t playFill = 0;
    // The utterance being sent.
    platform::File *output = nullptr;
    bool result = true;
    bool savedSpeedUp = false;
    bool savedCompression = false;
};

Driver driver;

template <typename Fn> Fn entry(const char *name) {
    return reinterpret_cast<Fn>(platform::librarySymbol(driver.library, name));
}

void handOver() {
    buildMbrolaHeader(driver.playImage.data(), static_cast<uint32_t>(driver.playFill));
    wave::playWaveImage(driver.playImage.data(), wave::HeaderSize + driver.playFill);
    driver.playFill = 0;
}

// Samples on their way to the output file, or to the play image, which goes
// to the wave player before it would reach half a second.
bool deliver(size_t bytes) {
    if (driver.output)
        return driver.output->write(driver.readBuffer.data(), bytes) == bytes;
    if (driver.playFill + static_cast<int64_t>(bytes) >= ImageThreshold)
        handOver();
    std::memcpy(driver.playImage.data() + wave::HeaderSize + driver.playFill,
                driver.readBuffer.data(), bytes);
    driver.playFill += static_cast<int32_t>(bytes);
    return true;
}

// The last image, padded with silence to at least 256 bytes.
void handOverRest() {
    if (driver.output || driver.playFill <= 0)
        return;
    if (driver.playFill < static_cast<int32_t>(MinimumImageBytes)) {
        const auto area = driver.playImage.begin() + static_cast<long>(wave::HeaderSize);
        std::fill(area + driver.playFill, area + MinimumImageBytes, uint8_t{0});
        driver.playFill = MinimumImageBytes;
    }
    handOver();
}

// Reads samples until none is ready; false when a failed read was an error.
bool readAll() {
    bool ok = true;
    while (true) {
        const int count = driver.entries.read(driver.readBuffer.data(), ReadSamples);
        if (count < 0 && driver.entries.lastError() != 0) {
            driver.entries.reset();
            ok = false;
        }
        if (count <= 0)
            return ok;
        ok = deliver(2 * static_cast<size_t>(std::min(count, ReadSamples))) && ok;
    }
}

} // namespace

bool loadMbrola() {
    unloadMbrola();
    driver.library = platform::loadLibrary("mbrola.dll");
    if (!driver.library)
        return false;
    for (const char *name : EntryNames) {
        if (!platform::librarySymbol(driver.library, name)) {
            unloadMbrola();
            return false;
        }
    }
    driver.entries = {entry<InitFn>("init_MBR"),         entry<WriteFn>("write_MBR"),
                      entry<VoidIntFn>("flush_MBR"),     entry<ReadFn>("read_MBR"),
                      entry<CloseFn>("close_MBR"),       entry<VoidIntFn>("reset_MBR"),
                      entry<VoidIntFn>("lastError_MBR"), entry<SetNoErrorFn>("setNoError_MBR")};
    return true;
}

void unloadMbrola() {
    if (driver.library)
        platform::freeLibrary(driver.library);
    driver.library = nullptr;
    driver.entries = {};
}

bool mbrolaLoaded() {
    return driver.library != nullptr;
}

namespace {

// The library reads whatever it is given: a FIFO or a device in the
// database's place would hold it (and the program) for ever. A name that is
// no file at all is the library's to refuse.
bool isOddFile(const std::string &nativePath) {
    std::error_code failure;
    const auto status = std::filesystem::status(nativePath, failure);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

} // namespace

bool initMbrola(const std::string &databasePath) {
    std::string path = databasePath;
    if (driver.library && !isOddFile(path) && driver.entries.init(path.data()) >= 0)
        return true;
    unloadMbrola();
    return false;
}

void setMbrolaNoError() {
    if (driver.library)
        driver.entries.setNoError(1);
}

void closeMbrola() {
    if (driver.library)
        driver.entries.close();
}

void beginUtterance(platform::File *output) {
    driver.output = output;
    driver.result = true;
    driver.savedSpeedUp = wave::speedUp();
    driver.savedCompression = wave::compression();
    wave::setSpeedUp(false);
    wave::setCompression(false);
    if (driver.library)
        driver.entries.reset();
    driver.playFill = 0;
}

void sendLine(const std::string &text, bool last) {
    if (!driver.library) {
        driver.result = false;
        return;
    }
    if (text.empty() && !last)
        return;
    std::string line = text + "\r\n";
    driver.entries.write(line.data());
    if (driver.entries.lastError() != 0) {
        driver.entries.reset();
        driver.result = false;
    }
    if (last)
        driver.entries.flush();
    driver.result = readAll() && driver.result;
}

bool endUtterance() {
    handOverRest();
    wave::setSpeedUp(driver.savedSpeedUp);
    wave::setCompression(driver.savedCompression);
    driver.output = nullptr;
    return driver.result && driver.library;
}

bool sendUtterance(const std::vector<std::string> &lines, platform::File *output) {
    beginUtterance(output);
    for (size_t i = 0; i < lines.size(); ++i)
        sendLine(lines[i], i + 1 == lines.size());
    return endUtterance();
}

void buildMbrolaHeader(uint8_t *header, uint32_t dataLength) {
    wav::writeHeader(header, dataLength, MbrolaRate, 1, 16);
}

} // namespace quelo
