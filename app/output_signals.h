// zebfala's output file and the signals that could end the program while it
// is written: a file-size limit makes writes fail (like a full disk) instead
// of killing the program, and an interrupt or a termination removes the
// temporary file before the program ends.
#pragma once

#include <string>

namespace zebfala {

// Ignores the file-size limit's signal (SIGXFSZ): a write past the limit
// then fails with EFBIG and is reported like any other failed write. Sets
// the handlers that remove the temporary file named by a TemporaryOutput.
void handleOutputSignals();

// Names the temporary file that a signal ending the program removes, for
// as long as this object lives (the writer removes it on every other way
// out). One at a time.
class TemporaryOutput {
public:
    explicit TemporaryOutput(const std::string &path);
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput &) = delete;
    TemporaryOutput &operator=(const TemporaryOutput &) = delete;
};

} // namespace zebfala
