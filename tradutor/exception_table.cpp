#include "tradutor/exception_table.h"

#include "platform/file.h"
#include "tradutor/rule_lines.h"

#include <algorithm>

namespace exception_table {
namespace {

bool isStrippable(char c) {
    return c == 's' || c == 'm' || c == 'S' || c == 'M';
}

} // namespace

bool Table::load(const std::string &path, const Dialect &dialect) {
    clear();
    platform::File file;
    if (!file.open(path))
        return false;
    rule_lines::LineReader reader(file, dialect.maxLineLength);
    std::string line;
    while (entries_.size() < dialect.maxEntries && reader.next(line)) {
        if (line.empty())
            continue;
        if (dialect.lineCase)
            line = dialect.lineCase(line);
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            if (dialect.keepMalformedLines)
                entries_.push_back({line + "|", ""});
            continue;
        }
        if (equals == 0 && !dialect.keepMalformedLines)
            continue;
        const size_t bar = line.find('|', equals + 1);
        const size_t end = bar == std::string::npos ? line.size() : bar;
        entries_.push_back({line.substr(0, equals), line.substr(equals + 1, end - equals - 1)});
    }
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry &a, const Entry &b) { return a.word < b.word; });
    return true;
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
