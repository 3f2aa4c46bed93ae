// Reading of the engine's plain-text data files (Windows-1252): line by line
// with CR LF, LF or CR ends, each line cut to a fixed length so that a file
// of any shape is read in bounded memory.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace quelo {

// Calls `onLine` for every line of the file, its end removed and its
// characters after the first `maxLineLength` dropped. False when the file
// cannot be opened.
bool forEachLine(const std::string &path, size_t maxLineLength,
                 const std::function<void(const std::string &)> &onLine);

// The text without blanks and control characters at either end.
std::string trimmed(const std::string &text);

} // namespace quelo
