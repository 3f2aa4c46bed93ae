#include "tradutor/quelo/data_file.h"

#include "platform/file.h"

#include <array>
#include <cstdint>

namespace quelo {

bool forEachLine(const std::string &path, size_t maxLineLength,
                 const std::function<void(const std::string &)> &onLine) {
    platform::File file;
    if (!file.open(path))
        return false;
    std::array<char, 4096> buffer{};
    std::string line;
    bool lineOpen = false;
    char previous = '\0';
    for (size_t count; (count = file.read(buffer.data(), buffer.size())) > 0;) {
        for (size_t i = 0; i < count; ++i) {
            const char c = buffer[i];
            const bool secondHalfOfCrLf = c == '\n' && previous == '\r';
            previous = c;
            if (secondHalfOfCrLf)
                continue;
            if (c == '\n' || c == '\r') {
                onLine(line);
                line.clear();
                lineOpen = false;
                continue;
            }
            lineOpen = true;
            if (line.size() < maxLineLength)
                line += c;
        }
    }
    if (lineOpen)
        onLine(line);
    return true;
}

std::string trimmed(const std::string &text) {
    const auto isTrimmed = [](char c) { return static_cast<uint8_t>(c) <= ' '; };
    size_t first = 0;
    size_t last = text.size();
    while (first < last && isTrimmed(text[first]))
        ++first;
    while (last > first && isTrimmed(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

} // namespace quelo
