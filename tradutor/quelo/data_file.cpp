#include "tradutor/quelo/data_file.h"

#include "platform/file.h"
#include "tradutor/rule_lines.h"

#include <cstdint>

namespace quelo {

bool forEachLine(const std::string &path, size_t maxLineLength,
                 const std::function<void(const std::string &)> &onLine) {
    platform::File file;
    if (!file.open(path))
        return false;
    rule_lines::LineReader reader(file, maxLineLength);
    for (std::string line; reader.next(line);)
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
