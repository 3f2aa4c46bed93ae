#include "tests/fuzz/fuzz_support.h"

#include "app/module_start.h"
#include "mbrsynth/mbrola_api.h"
#include "platform/headless/headless.h"
#include "platform/host_settings.h"
#include "platform/inprocess_library.h"
#include "tradutor/diphone/native_voice.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <system_error>

namespace fuzz_support {

TwoFiles splitTwoFiles(std::string_view input) {
    if (input.size() < 4)
        return {{}, input};
    const auto byte = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(input[i]));
    };
    const uint32_t length = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
    const std::string_view rest = input.substr(4);
    const size_t first = std::min<size_t>(length, rest.size());
    return {rest.substr(0, first), rest.substr(first)};
}

std::string joinTwoFiles(std::string_view first, std::string_view second) {
    std::string out;
    const auto length = static_cast<uint32_t>(first.size());
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>(length >> shift & 0xFF);
    out.append(first);
    out.append(second);
    return out;
}

std::string dataFile(const std::string &relative) {
    const char *root = std::getenv("ZEB_FUZZ_DATA");
    const std::string path =
        std::string(root && *root ? root : ZEB_FUZZ_DEFAULT_DATA) + "/" + relative;
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) {
        std::fprintf(stderr,
                     "fuzz harness: %s is missing; set ZEB_FUZZ_DATA to a generated data tree "
                     "(build/test/share/galdrino)\n",
                     path.c_str());
        std::exit(2);
    }
    return path;
}

std::string readDataFile(const std::string &relative) {
    std::ifstream in(dataFile(relative), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {

// create_directory reports whether it made the directory, so a name that
// another process took first is passed over.
struct Scratch {
    std::string path;
    Scratch() {
        const auto base = std::filesystem::temp_directory_path();
        std::random_device seed;
        std::mt19937 random(seed());
        for (int attempt = 0; attempt < 100 && path.empty(); ++attempt) {
            const auto candidate = base / ("zebfuzz-" + std::to_string(random() % 1000000000u));
            std::error_code failure;
            if (std::filesystem::create_directory(candidate, failure))
                path = candidate.string();
        }
        if (path.empty()) {
            std::fprintf(stderr, "fuzz harness: cannot create a scratch directory\n");
            std::exit(2);
        }
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

const std::string &scratchDirectory() {
    static const Scratch scratch;
    return scratch.path;
}

void writeFile(const std::string &path, std::string_view bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "fuzz harness: cannot write %s\n", path.c_str());
        std::exit(2);
    }
}

void startMachine(const std::string &ini) {
    const std::string iniPath = scratchDirectory() + "/ZEBUNA.INI";
    writeFile(iniPath, ini);
    platform::setDriveRoot(scratchDirectory());
    platform::setConfigOverride(iniPath);
    restartMachine();
}

void restartMachine() {
    headless::reset();
    headless::setCloseWhenScriptEnds(false);
    app::startModules();
}

int32_t openNativeVoice(std::string_view index, std::string_view samples, std::string_view rules,
                        std::string_view exceptions) {
    const std::string directory = scratchDirectory() + "/difones/";
    std::filesystem::create_directories(scratchDirectory() + "/letras");
    writeFile(directory + "regras.rgr", rules);
    writeFile(directory + "portug.exc", exceptions);
    writeFile(directory + "FUZZVOZ.IND", index);
    writeFile(directory + "FUZZVOZ.DIF", samples);
    startMachine("[TRADUTOR]\r\ndirLetras=c:\\letras\r\nDIRDIFONES=c:\\difones\r\n");
    diphone::setVoiceName("FUZZVOZ");
    diphone::setSynthTiming(300, 0, 600);
    return diphone::openVoice();
}

void serveSynthesizer() {
    static const std::map<std::string, void *> entries = {
        {"init_MBR", reinterpret_cast<void *>(&init_MBR)},
        {"init_rename_MBR", reinterpret_cast<void *>(&init_rename_MBR)},
        {"write_MBR", reinterpret_cast<void *>(&write_MBR)},
        {"flush_MBR", reinterpret_cast<void *>(&flush_MBR)},
        {"read_MBR", reinterpret_cast<void *>(&read_MBR)},
        {"readtype_MBR", reinterpret_cast<void *>(&readtype_MBR)},
        {"close_MBR", reinterpret_cast<void *>(&close_MBR)},
        {"reset_MBR", reinterpret_cast<void *>(&reset_MBR)},
        {"lastError_MBR", reinterpret_cast<void *>(&lastError_MBR)},
        {"lastErrorStr_MBR", reinterpret_cast<void *>(&lastErrorStr_MBR)},
        {"setNoError_MBR", reinterpret_cast<void *>(&setNoError_MBR)},
        {"getNoError_MBR", reinterpret_cast<void *>(&getNoError_MBR)},
        {"setFreq_MBR", reinterpret_cast<void *>(&setFreq_MBR)},
        {"getFreq_MBR", reinterpret_cast<void *>(&getFreq_MBR)},
        {"setVolumeRatio_MBR", reinterpret_cast<void *>(&setVolumeRatio_MBR)},
        {"getVolumeRatio_MBR", reinterpret_cast<void *>(&getVolumeRatio_MBR)},
        {"getVersion_MBR", reinterpret_cast<void *>(&getVersion_MBR)},
        {"getDatabaseInfo_MBR", reinterpret_cast<void *>(&getDatabaseInfo_MBR)},
        {"setParser_MBR", reinterpret_cast<void *>(&setParser_MBR)},
        {"init_Phone", reinterpret_cast<void *>(&init_Phone)},
        {"reset_Phone", reinterpret_cast<void *>(&reset_Phone)},
        {"close_Phone", reinterpret_cast<void *>(&close_Phone)},
        {"appendf0_Phone", reinterpret_cast<void *>(&appendf0_Phone)},
    };
    platform::registerInProcessLibrary("MBROLA.DLL", [](const char *name) -> void * {
        const auto found = entries.find(name);
        return found == entries.end() ? nullptr : found->second;
    });
}

} // namespace fuzz_support
