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

private:
    platform::File *file_ = nullptr;
    uint8_t buffer_[4096] = {};
    const uint8_t *data_ = buffer_;
    size_t pos_ = 0, length_ = 0;
    bool ended_ = false;
};

enum class LineResult { Good, Bad };

// Reads one line up to and including its line end (CR LF or LF). The first
// 40 letters are kept; the whole line is checked.
LineResult readLine(ByteReader &reader, std::string &word) {
    word.clear();
    bool good = true;
    for (int byte = reader.next(); byte >= 0; byte = reader.next()) {
        if (byte == '\n')
            break;
        if (byte == '\r' && reader.peek() == '\n')
            continue;
        const int upper = byte >= 'a' && byte <= 'z' ? byte - 32 : byte;
        if (upper < 'A' || upper > 'Z')
            good = false;
        else if (word.size() < WordCapacity)
            word += static_cast<char>(upper);
    }
    return good ? LineResult::Good : LineResult::Bad;
}

WordListResult readWords(ByteReader &reader, WordTable &table) {
    std::string word;
    while (!reader.atEnd()) {
        if (table.count >= WordListCapacity)
            return WordListResult::TooManyLines;
        if (readLine(reader, word) == LineResult::Bad)
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

WordListResult readWordListText(std::string_view text, WordTable &table) {
    table.count = 0;
    ByteReader reader(text);
    return readWords(reader, table);
}

} // namespace game
