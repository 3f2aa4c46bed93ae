#include "game/word_list.h"

#include "platform/file.h"

#include <string_view>

namespace game {

namespace {

constexpr uint8_t EndOfFileMark = 26; // a text file ends at Ctrl+Z, as on DOS

// Reads a file byte by byte through a fixed buffer, so that a line of any
// length is checked without being held in memory; or a text already in
// memory.
class ByteReader {
public:
    explicit ByteReader(platform::File &file) : file_(&file) {}
    explicit ByteReader(std::string_view text)
        : data_(reinterpret_cast<const uint8_t *>(text.data())), length_(text.size()) {}
    ByteReader(const ByteReader &) = delete;
    ByteReader &operator=(const ByteReader &) = delete;

    // The next byte, or -1 at the end of the text.
    int next() {
        const int byte = peek();
        if (byte >= 0)
            ++pos_;
        return byte;
    }

    int peek() {
        if (ended_)
            return -1;
        if (pos_ == length_ && file_) {
            length_ = file_->read(buffer_, sizeof buffer_);
            data_ = buffer_;
            pos_ = 0;
        }
        if (pos_ == length_ || data_[pos_] == EndOfFileMark) {
            ended_ = true;
            return -1;
        }
        return data_[pos_];
    }

    bool atEnd() { return peek() < 0; }
    // Whether the text ended at the end-of-file mark with more after it.
    bool cutByMark() {
        if (!atEnd() || pos_ == length_)
            return false;
        if (pos_ + 1 < length_)
            return true;
        return file_ && file_->read(buffer_, 1) > 0;
    }

private:
    platform::File *file_ = nullptr;
    uint8_t buffer_[4096] = {};
    const uint8_t *data_ = buffer_;
    size_t pos_ = 0, length_ = 0;
    bool ended_ = false;
};

enum class LineResult { Good, Bad };

// What the reader saw of a line beyond the word it keeps.
struct LineFacts {
    size_t letters = 0; // letters on the line, kept or not
    int firstBad = -1;  // the first byte that is not a letter
};

// Reads one line up to and including its line end (CR LF or LF). The first
// 40 letters are kept; the whole line is checked.
LineResult readLine(ByteReader &reader, std::string &word, LineFacts &facts) {
    word.clear();
    facts = {};
    for (int byte = reader.next(); byte >= 0; byte = reader.next()) {
        if (byte == '\n')
            break;
        if (byte == '\r' && reader.peek() == '\n')
            continue;
        const int upper = byte >= 'a' && byte <= 'z' ? byte - 32 : byte;
        if (upper < 'A' || upper > 'Z') {
            if (facts.firstBad < 0)
                facts.firstBad = byte;
        } else if (++facts.letters <= WordCapacity) {
            word += static_cast<char>(upper);
        }
    }
    return facts.firstBad < 0 ? LineResult::Good : LineResult::Bad;
}

WordListResult readWords(ByteReader &reader, WordTable &table) {
    std::string word;
    LineFacts facts;
    while (!reader.atEnd()) {
        if (table.count >= WordListCapacity)
            return WordListResult::TooManyLines;
        if (readLine(reader, word, facts) == LineResult::Bad)
            return WordListResult::BadCharacter;
        table.words[static_cast<size_t>(table.count++)] = word;
    }
    return table.count == 0 ? WordListResult::Empty : WordListResult::Loaded;
}

} // namespace

WordListResult readWordList(const std::string &path, WordTable &table) {
    table.count = 0;
    platform::File file;
    if (!file.open(path))
        return WordListResult::CannotOpen;
    ByteReader reader(file);
    return readWords(reader, table);
}

bool reportWordList(const std::string &path, const data_report::Sink &report) {
    platform::File file;
    if (!file.open(path))
        return false;
    ByteReader reader(file);
    std::string word;
    LineFacts facts;
    size_t line = 0;
    while (!reader.atEnd()) {
        readLine(reader, word, facts);
        if (++line > WordListCapacity) {
            report(line,
                   "more than " + std::to_string(WordListCapacity) + " lines: the game stops here");
            return true;
        }
        if (facts.firstBad >= 0)
            report(line, "character code " + std::to_string(facts.firstBad) +
                             " is not a letter A..Z: the game stops here");
        else if (word.empty())
            report(line, "empty line: an empty word the game can draw");
        else if (facts.letters > WordCapacity)
            report(line, "longer than " + std::to_string(WordCapacity) + " letters: cut to " +
                             data_report::quoted(word));
    }
    if (reader.cutByMark())
        report(line + 1, "a Ctrl+Z (code 26) ends the list here: the rest is ignored");
    if (line == 0)
        report(0, "no words: the game stops at its start");
    return true;
}

WordListResult readWordListText(std::string_view text, WordTable &table) {
    table.count = 0;
    ByteReader reader(text);
    return readWords(reader, table);
}

} // namespace game
