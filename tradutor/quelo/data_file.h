// Reading of the engine's plain-text data files (Windows-1252): line by line
// with CR LF, LF or CR ends, each line cut to a fixed length so that a file
// of any shape is read in bounded memory.
#pragma once

#include "platform/data_report.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace quelo {

// A data file as its loader sees it: a file named by its path, or the same
// bytes already in memory.
class DataText {
public:
    static DataText file(const std::string &path);
    // The text must outlive the DataText.
    static DataText memory(std::string_view text);

    // Sends what the loaders drop, cut or misread to `sink` (see report).
    DataText &reportTo(data_report::Sink sink);
    bool reporting() const { return static_cast<bool>(sink_); }
    // Tells the sink, if any, what is wrong with the line being read
    // (inside forEachLine), or with the whole file (outside it).
    void report(const std::string &what) const;

    // Whether the file exists (a text in memory always does).
    bool exists() const;
    // Calls `onLine` for every line, its end removed and its characters
    // after the first `maxLineLength` dropped (which is reported). False when
    // the file cannot be opened.
    bool forEachLine(size_t maxLineLength,
                     const std::function<void(const std::string &)> &onLine) const;

private:
    std::string path_;
    std::string_view text_;
    bool inMemory_ = false;
    data_report::Sink sink_;
    mutable size_t line_ = 0; // the line being read, 0 outside forEachLine
};

// The text without blanks and control characters at either end.
std::string trimmed(const std::string &text);

} // namespace quelo
