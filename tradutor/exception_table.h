// The respelling files of both voices (portug.exc of the native voice and of
// the built-in engine): one entry a line, word "=" replacement, optionally
// followed by "|" and anything; read into a table sorted by word and looked
// up whole and then with final s/m letters stripped.
#pragma once

#include "platform/data_report.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace exception_table {

// How one voice reads its file.
struct Dialect {
    size_t maxEntries;    // further lines are not read
    size_t maxLineLength; // a line keeps its first characters
    // Applied to each line before it is split (the built-in engine upper-cases
    // it); none leaves the line as written.
    std::string (*lineCase)(std::string line) = nullptr;
    // A line without "=" takes a place of its own, under the whole line
    // followed by "|" (which no word matches), and so does an empty word;
    // otherwise such lines are left out.
    bool keepMalformedLines = false;
};

// Receives an entry of the file as the table stores it, with its line.
using EntrySink =
    std::function<void(size_t line, const std::string &word, const std::string &replacement)>;

// Reads the entries of the file the way a table loads them, handing each to
// `onEntry`; `report` hears of every line left out, cut, or never found
// because an earlier line has the same word. False when the file cannot be
// opened.
bool readEntries(const std::string &path, const Dialect &dialect, const EntrySink &onEntry,
                 const data_report::Sink &report = {});

class Table {
public:
    // Empties the table, then reads the file and sorts the entries by word
    // (byte order; among equal words the first line comes first). False when
    // the file cannot be opened.
    bool load(const std::string &path, const Dialect &dialect,
              const data_report::Sink &report = {});
    void clear();
    size_t size() const { return entries_.size(); }

    // The replacement of `word`, looked up whole and then with its final s and
    // m letters (of either case) stripped one by one, which are put back after
    // the replacement; `word` itself when no entry matches.
    std::string lookup(const std::string &word) const;

private:
    struct Entry {
        std::string word;
        std::string replacement;
    };
    const Entry *find(const std::string &word) const;

    std::vector<Entry> entries_;
};

} // namespace exception_table
