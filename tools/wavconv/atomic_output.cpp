#include "tools/wavconv/atomic_output.h"

#include <filesystem>
#include <random>
#include <system_error>

namespace wavkit {

AtomicOutput::AtomicOutput(const std::string &destination) : destination_(destination) {
    namespace fs = std::filesystem;
    std::error_code failure;
    const fs::file_status status = fs::status(destination, failure);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        direct_ = true;
        writePath_ = destination;
        return;
    }
    if (fs::is_symlink(fs::symlink_status(destination, failure))) {
        const fs::path target = fs::weakly_canonical(destination, failure);
        if (!failure)
            destination_ = target.string();
    }
    // A name of its own, so that no file of the user's is overwritten.
    std::random_device seed;
    std::mt19937 random(seed());
    do {
        writePath_ = destination_ + ".tmp" + std::to_string(random() % 1000000u);
    } while (fs::exists(fs::symlink_status(writePath_, failure)));
}

AtomicOutput::~AtomicOutput() {
    if (!direct_ && !committed_) {
        std::error_code ignored;
        std::filesystem::remove(writePath_, ignored);
    }
}

bool AtomicOutput::commit(std::string &error) {
    if (direct_)
        return committed_ = true;
    // std::filesystem::rename replaces an existing file on every system;
    // std::rename does not on Windows.
    std::error_code failure;
    std::filesystem::rename(writePath_, destination_, failure);
    if (failure) {
        error = destination_ + ": " + failure.message();
        return false;
    }
    return committed_ = true;
}

} // namespace wavkit
