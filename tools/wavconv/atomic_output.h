// A file written whole or not at all: the writer writes under a temporary
// name beside the destination, and the file is renamed onto it once
// complete or removed when not. A destination that exists and is not a
// regular file (a device such as /dev/full, a pipe) is written directly:
// renaming onto it would replace the device with a plain file. A symbolic
// link is followed, so the file it names is the one replaced.
#pragma once

#include <string>

namespace wavkit {

class AtomicOutput {
public:
    explicit AtomicOutput(const std::string &destination);
    // Removes the temporary file unless it was committed.
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput &) = delete;
    AtomicOutput &operator=(const AtomicOutput &) = delete;

    // The name to write the file under.
    const std::string &writePath() const { return writePath_; }
    // Whether that name is a temporary one (not the destination itself).
    bool temporary() const { return !direct_; }
    // Puts the written file in place; false with a message in error.
    bool commit(std::string &error);

private:
    std::string destination_;
    std::string writePath_;
    bool direct_ = false;
    bool committed_ = false;
};

} // namespace wavkit
