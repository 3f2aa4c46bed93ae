#include "tradutor/exception_table.h"

#include "platform/file.h"
#include "tradutor/rule_lines.h"

#include <algorithm>
#include <map>

namespace exception_table {
namespace {

bool isStrippable(char c) {
    return c == 's' || c == 'm' || c == 'S' || c == 'M';
}

} // namespace

bool readEntries(const std::string &path, const Dialect &dialect, const EntrySink &onEntry,
                 const data_report::Sink &report) {
    platform::File file;
    if (!file.open(path))
        return false;
    rule_lines::LineReader reader(file, dialect.maxLineLength);
    std::map<std::string, size_t> firstLines; // only while reporting
    size_t entries = 0;
    std::string line;
    while (reader.next(line)) {
        const size_t number = reader.lineNumber();
        const auto say = [&](const std::string &what) {
            if (report)
                report(number, what);
        };
        if (entries == dialect.maxEntries) {
            say("more than " + std::to_string(dialect.maxEntries) +
                " entries: this line and the rest are not read");
            break;
        }
        if (reader.lastLineCut())
            say(rule_lines::lineCutText(dialect.maxLineLength));
        if (line.empty())
            continue;
        if (dialect.lineCase)
            line = dialect.lineCase(line);
        const size_t equals = line.find('=');
        const bool malformed = equals == std::string::npos || equals == 0;
        if (malformed && !dialect.keepMalformedLines) {
            say(equals == 0 ? "no word before \"=\": ignored" : "no \"=\": ignored");
            continue;
        }
        std::string word = line + "|", replacement;
        if (equals == std::string::npos) {
            say("no \"=\": read as a word no text has, ignored");
        } else {
            const size_t bar = line.find('|', equals + 1);
            const size_t end = bar == std::string::npos ? line.size() : bar;
            word = line.substr(0, equals);
            replacement = line.substr(equals + 1, end - equals - 1);
            if (equals == 0)
                say("no word before \"=\": never found");
        }
        if (report) {
            const auto [first, isNew] = firstLines.emplace(word, number);
            if (!isNew)
                say("\"" + word + "\" is already on line " + std::to_string(first->second) +
                    ": this line is never used");
        }
        ++entries;
        onEntry(number, word, replacement);
    }
    return true;
}

bool Table::load(const std::string &path, const Dialect &dialect, const data_report::Sink &report) {
    clear();
    const bool read = readEntries(
        path, dialect,
        [&](size_t, const std::string &word, const std::string &replacement) {
            entries_.push_back({word, replacement});
        },
        report);
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry &a, const Entry &b) { return a.word < b.word; });
    return read;
}

void Table::clear() {
    entries_.clear();
}

const Table::Entry *Table::find(const std::string &word) const {
    const auto found = std::lower_bound(
        entries_.begin(), entries_.end(), word,
        [](const Entry &entry, const std::string &key) { return entry.word < key; });
    return found != entries_.end() && found->word == word ? &*found : nullptr;
}

std::string Table::lookup(const std::string &word) const {
    std::string stem = word;
    std::string suffix;
    while (true) {
        if (const Entry *entry = find(stem))
            return entry->replacement + suffix;
        if (stem.empty() || !isStrippable(stem.back()))
            break;
        suffix.insert(suffix.begin(), stem.back());
        stem.pop_back();
        if (stem.empty())
            break;
    }
    return word;
}

} // namespace exception_table
