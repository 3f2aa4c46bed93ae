// Reading of the letter-to-sound rule files, shared by the native voice's
// translator (regras.rgr) and the built-in engine (portug.nrl): both read text lines ended by CR
// LF, LF or a lone CR, and both write a rule as  left "(" centre ")" right "=" output ["|"
// anything].
#pragma once

#include "platform/file.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace rule_lines {

// Reads a text line by line, from a file or from memory; CR LF, LF and a
// lone CR all end a line. Each line keeps its first maxLength characters, the
// rest of it is read and dropped, so a line of any length costs at most
// maxLength bytes.
class LineReader {
public:
    LineReader(platform::File &file, size_t maxLength) : file_(&file), maxLength_(maxLength) {}
    // The text must outlive the reader.
    LineReader(std::string_view text, size_t maxLength)
        : maxLength_(maxLength), data_(text.data()), size_(text.size()) {}
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;

    // False at the end of the text (a last line without an end is returned).
    bool next(std::string &line) {
        line.clear();
        cut_ = false;
        bool any = false;
        while (true) {
            if (pos_ == size_ && !refill()) {
                lines_ += any;
                return any;
            }
            const char c = data_[pos_++];
            any = true;
            if (c == '\n')
                break;
            if (c == '\r') {
                if ((pos_ < size_ || refill()) && data_[pos_] == '\n')
                    ++pos_;
                break;
            }
            if (line.size() < maxLength_)
                line += c;
            else
                cut_ = true;
        }
        ++lines_;
        return true;
    }

    // The 1-based number of the line `next` returned last.
    size_t lineNumber() const { return lines_; }
    // Whether that line lost characters after its first maxLength.
    bool lastLineCut() const { return cut_; }
    size_t maxLength() const { return maxLength_; }

private:
    // A text in memory is whole from the start: only a file has more to come.
    bool refill() {
        if (!file_)
            return false;
        size_ = file_->read(buffer_.data(), buffer_.size());
        data_ = buffer_.data();
        pos_ = 0;
        return size_ > 0;
    }

    platform::File *file_ = nullptr;
    size_t maxLength_;
    std::array<char, 4096> buffer_{};
    const char *data_ = buffer_.data();
    size_t size_ = 0;
    size_t pos_ = 0;
    size_t lines_ = 0;
    bool cut_ = false;
};

// What a data file's reader says of a line that lost characters.
inline std::string lineCutText(size_t maxLength) {
    return "longer than " + std::to_string(maxLength) + " characters: the rest is ignored";
}

// The first `length` characters of a text.
inline std::string cut(const std::string &text, size_t length) {
    return text.substr(0, std::min(length, text.size()));
}

// The text of `line` from `from` up to `delimiter` (or the end), with `from`
// moved past the delimiter; false when the delimiter is missing.
inline bool takeUntil(const std::string &line, size_t &from, char delimiter, std::string &part) {
    const size_t end = line.find(delimiter, std::min(from, line.size()));
    const size_t stop = end == std::string::npos ? line.size() : end;
    part = from < stop ? line.substr(from, stop - from) : std::string();
    from = end == std::string::npos ? line.size() : end + 1;
    return end != std::string::npos;
}

struct RuleText {
    std::string left;
    std::string centre;
    std::string right;
    std::string output;
};

// Longest kept part of each field of a rule; longer ones keep their first
// characters.
struct RuleLimits {
    size_t left;
    size_t centre;
    size_t right;
    size_t output;
};

// Splits a rule line into its parts, each cut to its limit. A line without
// "(" gives no rule (false); a line without ")" or "=" keeps the parts it
// has, the missing ones empty. The caller decides about an empty centre.
inline bool parseRuleLine(const std::string &line, const RuleLimits &limits, RuleText &rule) {
    size_t from = 0;
    std::string part;
    if (!takeUntil(line, from, '(', part))
        return false;
    rule.left = cut(part, limits.left);
    const bool closed = takeUntil(line, from, ')', part);
    rule.centre = cut(part, limits.centre);
    rule.right.clear();
    rule.output.clear();
    if (closed) {
        const bool hasOutput = takeUntil(line, from, '=', part);
        rule.right = cut(part, limits.right);
        if (hasOutput) {
            takeUntil(line, from, '|', part);
            rule.output = cut(part, limits.output);
        }
    }
    return true;
}

// Tells `say` what the rule loaders make of a line that is neither a comment
// nor blank:
// why it gives no rule (no "(", an empty centre, or a centre whose first
// character has no chain, as `hasChain` says), or else which parts were cut
// to their limit and which delimiters are missing (the parts after them are
// read as empty).
template <typename HasChain, typename Say>
void describeRuleLine(const std::string &line, const RuleLimits &limits, HasChain hasChain,
                      Say say) {
    constexpr size_t Whole = std::string::npos;
    if (line.find_first_not_of(" \t") == std::string::npos)
        return; // a blank line between blocks of rules
    RuleText text;
    if (!parseRuleLine(line, {Whole, Whole, Whole, Whole}, text)) {
        say(std::string("no \"(\": not a rule, ignored"));
        return;
    }
    if (text.centre.empty()) {
        say(std::string("empty centre: not a rule, ignored"));
        return;
    }
    if (!hasChain(text.centre[0])) {
        say("the centre begins with " + std::string(1, text.centre[0]) +
            ", which no rule chain holds: ignored");
        return;
    }
    const auto sayCut = [&](const char *name, const std::string &part, size_t limit) {
        if (part.size() > limit)
            say(std::string(name) + " \"" + part + "\" is longer than " + std::to_string(limit) +
                " characters: cut to \"" + part.substr(0, limit) + "\"");
    };
    sayCut("left context", text.left, limits.left);
    sayCut("centre", text.centre, limits.centre);
    sayCut("right context", text.right, limits.right);
    sayCut("output", text.output, limits.output);
    const size_t open = line.find('(');
    const size_t close = line.find(')', open + 1);
    if (close == std::string::npos)
        say(std::string("no \")\": the rest of the line is the centre, no output"));
    else if (line.find('=', close + 1) == std::string::npos)
        say(std::string("no \"=\": the rule has no output"));
}

} // namespace rule_lines
