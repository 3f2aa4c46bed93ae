// What a loader of a data file drops, cuts or misreads, for the data
// checker (zebcheck). The programs load without a sink and behave the same
// with one: the sink only hears about it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace data_report {

// The 1-based line (or record) and what is wrong with it; line 0 stands for
// the file as a whole.
using Sink = std::function<void(size_t line, const std::string &what)>;

// `text` between double quotes, for the messages.
inline std::string quoted(const std::string &text) {
    return "\"" + text + "\"";
}

} // namespace data_report
