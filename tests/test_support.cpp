#include "tests/test_support.h"

#include "app/module_start.h"
#include "platform/headless/scripted_engines.h"
#include "platform/host_settings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace test_support {

// create_directory reports whether it made the directory, so a name that
// another process took first is passed over. The path is kept with forward
// slashes: on Windows the host maps only paths written with backslashes, the
// program's own form, onto a drive root given in the settings.
TempDir::TempDir() {
    const auto base = std::filesystem::temp_directory_path();
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = base / ("zebtest-" + std::to_string(random() % 1000000000u));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate.generic_string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void makeDirectories(const std::string &path) {
    std::filesystem::create_directories(path);
}

void writeFile(const std::string &path, const std::string &bytes) {
    makeDirectories(std::filesystem::path(path).parent_path().string());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string littleEndian(uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string riffChunk(const std::string &name, const std::string &body) {
    return name + littleEndian(static_cast<uint32_t>(body.size()), 4) + body;
}

std::string pcmFormatBody(uint32_t rate, uint16_t bits, uint16_t channels) {
    const uint32_t align = channels * (bits / 8u);
    return littleEndian(1, 2) + littleEndian(channels, 2) + littleEndian(rate, 4) +
           littleEndian(rate * align, 4) + littleEndian(align, 2) + littleEndian(bits, 2);
}

std::string riffWave(const std::string &chunks, const std::string &name) {
    return name + littleEndian(static_cast<uint32_t>(chunks.size() + 4), 4) + "WAVE" + chunks;
}

std::string wavImage(const std::vector<uint8_t> &samples, uint32_t rate, uint16_t bits,
                     uint16_t channels) {
    return riffWave(riffChunk("fmt ", pcmFormatBody(rate, bits, channels)) +
                    riffChunk("data", std::string(samples.begin(), samples.end())));
}

std::string wavOfMs(uint32_t ms) {
    std::vector<uint8_t> samples(static_cast<size_t>(ms) * 11025 / 1000);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<uint8_t>(i % 20 < 10 ? 100 : 156);
    return wavImage(samples);
}

void startMachine(const std::string &root, const std::string &iniPath,
                  const std::string &keyScript) {
    headless::reset();
    headless::setCloseWhenScriptEnds(false);
    // A test never speaks through the host's own engines unless it asks to.
    headless::scriptSpeechEngines(headless::EngineScript::none());
    platform::setDriveRoot(root);
    platform::setConfigOverride(iniPath);
    std::string error;
    if (!headless::setKeyScript(keyScript, error))
        throw std::runtime_error(error);
    app::startModules();
}

std::vector<std::string> transcriptLines(const std::string &kind) {
    std::vector<std::string> lines;
    std::istringstream in(headless::transcriptText());
    for (std::string line; std::getline(in, line);)
        if (line.rfind(kind + " ", 0) == 0)
            lines.push_back(line.substr(kind.size() + 1));
    return lines;
}

std::vector<std::string> soundsPlayed() {
    std::vector<std::string> names;
    for (const auto &event : headless::transcript())
        if (event.kind == headless::Event::Kind::Sound)
            names.push_back(event.text);
    return names;
}

std::string textPrinted() {
    std::string text;
    for (const auto &event : headless::transcript())
        if (event.kind == headless::Event::Kind::Text)
            text += event.text;
    return text;
}

} // namespace test_support
