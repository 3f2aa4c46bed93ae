// Runs a fuzz harness once on every file named, or found in the directories
// named, without libFuzzer: the corpus and the inputs that once found a
// fault replayed in the ordinary test build (and under its sanitizers).
// Fails when a path is missing or when nothing at all was replayed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace {

std::vector<std::filesystem::path> inputsOf(const std::filesystem::path &path, bool &missing) {
    std::error_code failure;
    if (std::filesystem::is_regular_file(path, failure))
        return {path};
    if (!std::filesystem::is_directory(path, failure)) {
        std::fprintf(stderr, "replay: %s does not exist\n", path.string().c_str());
        missing = true;
        return {};
    }
    std::vector<std::filesystem::path> files;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(path))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char **argv) {
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    bool missing = false;
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto &file : inputsOf(argv[i], missing)) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                             std::istreambuf_iterator<char>()};
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    return missing || replayed == 0 ? 1 : 0;
}
