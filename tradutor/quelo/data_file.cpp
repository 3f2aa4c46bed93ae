#include "tradutor/quelo/data_file.h"

#include "platform/file.h"
#include "platform/platform.h"
#include "tradutor/rule_lines.h"

#include <cstdint>
#include <utility>

namespace quelo {

DataText DataText::file(const std::string &path) {
    DataText text;
    text.path_ = path;
    return text;
}

DataText DataText::memory(std::string_view bytes) {
    DataText text;
    text.text_ = bytes;
    text.inMemory_ = true;
    return text;
}

DataText &DataText::reportTo(data_report::Sink sink) {
    sink_ = std::move(sink);
    return *this;
}

void DataText::report(const std::string &what) const {
    if (sink_)
        sink_(line_, what);
}

bool DataText::exists() const {
    return inMemory_ || platform::fileExists(path_);
}

bool DataText::forEachLine(size_t maxLineLength,
                           const std::function<void(const std::string &)> &onLine) const {
    const auto readAll = [&](rule_lines::LineReader &reader) {
        for (std::string line; reader.next(line);) {
            line_ = reader.lineNumber();
            if (reader.lastLineCut())
                report(rule_lines::lineCutText(maxLineLength));
            onLine(line);
        }
        line_ = 0;
    };
    if (inMemory_) {
        rule_lines::LineReader reader(text_, maxLineLength);
        readAll(reader);
        return true;
    }
    platform::File file;
    if (!file.open(path_))
        return false;
    rule_lines::LineReader reader(file, maxLineLength);
    readAll(reader);
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
