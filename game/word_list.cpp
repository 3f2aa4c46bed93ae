#include "game/word_list.h"

#include "game/letters.h"
#include "platform/cp1252.h"
#include "platform/file.h"

#include <string_view>
#include <utility>

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

// The characters of a text in Windows-1252: a UTF-8 text's characters are
// decoded (one without a Windows-1252 byte becomes "?"), and its byte-order
// mark dropped.
class TextReader {
public:
    TextReader(ByteReader &bytes, bool utf8) : bytes_(bytes), utf8_(utf8) {
        if (utf8_ && bytes_.peek() == 0xEF)
            pushed_ = decode(); // the mark, or a character kept for next()
        if (pushed_ == ByteOrderMark)
            pushed_ = -1;
        atStart_ = false;
    }

    int next() {
        if (pushed_ >= 0)
            return std::exchange(pushed_, -1);
        return decode();
    }
    // Only line ends are looked at ahead, and they are single bytes.
    int peek() { return pushed_ >= 0 ? pushed_ : bytes_.peek(); }
    bool atEnd() { return peek() < 0; }

private:
    static constexpr int ByteOrderMark = 0x10000;

    int decode() {
        const int lead = bytes_.next();
        if (!utf8_ || lead < 0x80)
            return lead;
        const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        uint32_t codePoint = static_cast<uint32_t>(lead) & (0x7Fu >> length);
        for (int k = 1; k < length; ++k)
            codePoint = (codePoint << 6) | (static_cast<uint32_t>(bytes_.next()) & 0x3F);
        if (codePoint == 0xFEFF && atStart_)
            return ByteOrderMark;
        const int byte = platform::unicodeToCp1252(codePoint);
        return byte >= 0 ? byte : '?';
    }

    ByteReader &bytes_;
    bool utf8_;
    bool atStart_ = true;
    int pushed_ = -1;
};

// Whether the bytes, up to the end of the text, are well-formed UTF-8.
bool isUtf8(ByteReader &bytes) {
    platform::Utf8Check check;
    for (int byte = bytes.next(); byte >= 0 && !check.failed(); byte = bytes.next())
        check.feed(static_cast<uint8_t>(byte));
    return check.valid();
}

enum class LineResult { Good, Bad, Skipped, Category };

struct Line {
    std::string text; // the word, or the category's name
    uint8_t badCharacter = 0;
    size_t letters = 0; // of a classic line, kept or not
};

// Reads one line up to and including its line end (CR LF or LF). The first
// 40 letters are kept; the whole line is checked.
LineResult readClassicLine(TextReader &reader, Line &line) {
    line.text.clear();
    line.letters = 0;
    bool good = true;
    for (int byte = reader.next(); byte >= 0; byte = reader.next()) {
        if (byte == '\n')
            break;
        if (byte == '\r' && reader.peek() == '\n')
            continue;
        const int upper = byte >= 'a' && byte <= 'z' ? byte - 32 : byte;
        if (upper < 'A' || upper > 'Z') {
            if (good)
                line.badCharacter = static_cast<uint8_t>(byte);
            good = false;
        } else if (++line.letters <= WordCapacity) {
            line.text += static_cast<char>(upper);
        }
    }
    return good ? LineResult::Good : LineResult::Bad;
}

bool isBlank(int c) {
    return c == ' ' || c == '\t';
}

// One line of the accented format, read a character at a time so that a
// line of any length is checked without being held whole.
class AccentedLine {
public:
    explicit AccentedLine(Line &line) : line_(line) { line_.text.clear(); }

    void take(int c) {
        if (bad_ || kind_ == Kind::Comment)
            return;
        if (isBlank(c)) {
            if (kind_ != Kind::Empty)
                ++blanks_;
            return;
        }
        if (kind_ == Kind::Empty)
            kind_ = c == '#' ? Kind::Comment : c == '[' ? Kind::Category : Kind::Word;
        if (kind_ == Kind::Word)
            takeWordCharacter(c);
        else if (kind_ == Kind::Category && last_ >= 0)
            takeNameCharacter(c);
        blanks_ = 0;
        last_ = c;
    }

    LineResult end() {
        if (!bad_ && kind_ == Kind::Word && last_ == '-')
            fail('-');
        if (!bad_ && kind_ == Kind::Category && (!closed_ || line_.text.empty()))
            fail(closed_ ? ']' : '[');
        if (bad_)
            return LineResult::Bad;
        switch (kind_) {
        case Kind::Word:
            return LineResult::Good;
        case Kind::Category:
            return LineResult::Category;
        default:
            return LineResult::Skipped;
        }
    }

private:
    enum class Kind { Empty, Comment, Word, Category };

    void takeWordCharacter(int c) {
        const bool letter = plainLetter(static_cast<uint8_t>(c)) != 0;
        if (!letter && (c != '-' || line_.text.empty()))
            fail(c);
        else
            keep(blanks_, static_cast<char>(upperLetter(static_cast<uint8_t>(c))));
    }

    void takeNameCharacter(int c) {
        if (closed_ || c < ' ')
            fail(c);
        else if (c == ']')
            closed_ = true;
        else
            keep(line_.text.empty() ? 0 : blanks_, static_cast<char>(c));
    }

    // The blanks before a character are inside the text: they are kept
    // with it, up to the capacity.
    void keep(int blanks, char c) {
        for (; blanks > 0 && line_.text.size() < WordCapacity; --blanks)
            line_.text += ' ';
        if (line_.text.size() < WordCapacity)
            line_.text += c;
    }

    void fail(int c) {
        bad_ = true;
        line_.badCharacter = static_cast<uint8_t>(c);
    }

    Line &line_;
    Kind kind_ = Kind::Empty;
    int blanks_ = 0;
    int last_ = -1;
    bool closed_ = false;
    bool bad_ = false;
};

LineResult readAccentedLine(TextReader &reader, Line &line) {
    AccentedLine accented(line);
    for (int byte = reader.next(); byte >= 0; byte = reader.next()) {
        if (byte == '\n')
            break;
        if (byte == '\r' && reader.peek() == '\n')
            continue;
        accented.take(byte);
    }
    return accented.end();
}

// The index of the category of the next word: its name is stored with the
// first word that has it, so that there are never more names than words.
int16_t categoryOf(WordTable &table, const std::string &pending, bool hasPending) {
    if (!hasPending)
        return NoCategory;
    if (table.categoryNames.empty() || table.categoryNames.back() != pending || table.count == 0 ||
        table.categories[static_cast<size_t>(table.count - 1)] == NoCategory)
        table.categoryNames.push_back(pending);
    return static_cast<int16_t>(table.categoryNames.size() - 1);
}

WordListResult readWords(TextReader &reader, WordTable &table, WordListFormat format) {
    Line line;
    std::string category;
    bool inCategory = false;
    for (int32_t number = 1; !reader.atEnd(); ++number) {
        if (format == WordListFormat::Classic && table.count >= WordListCapacity)
            return WordListResult::TooManyLines;
        const LineResult result = format == WordListFormat::Classic
                                      ? readClassicLine(reader, line)
                                      : readAccentedLine(reader, line);
        if (result == LineResult::Bad) {
            table.errorLine = number;
            table.errorCharacter = line.badCharacter;
            return WordListResult::BadCharacter;
        }
        if (result == LineResult::Skipped)
            continue;
        if (result == LineResult::Category) {
            category = line.text;
            inCategory = true;
            continue;
        }
        if (table.count >= WordListCapacity)
            return WordListResult::TooManyLines;
        table.categories[static_cast<size_t>(table.count)] =
            categoryOf(table, category, inCategory);
        table.words[static_cast<size_t>(table.count++)] = line.text;
    }
    return table.count == 0 ? WordListResult::Empty : WordListResult::Loaded;
}

void clearTable(WordTable &table) {
    table.count = 0;
    table.categoryNames.clear();
    table.errorLine = 0;
    table.errorCharacter = 0;
}

} // namespace

// The file is read twice: once to learn whether it is UTF-8, once for its
// words.
WordListResult readWordList(const std::string &path, WordTable &table, WordListFormat format) {
    clearTable(table);
    platform::File file;
    if (!file.open(path))
        return WordListResult::CannotOpen;
    ByteReader probe(file);
    const bool utf8 = isUtf8(probe);
    platform::File again;
    if (!again.open(path))
        return WordListResult::CannotOpen;
    ByteReader bytes(again);
    TextReader reader(bytes, utf8);
    return readWords(reader, table, format);
}

WordListResult readWordListText(std::string_view text, WordTable &table, WordListFormat format) {
    clearTable(table);
    ByteReader probe(text);
    const bool utf8 = isUtf8(probe);
    ByteReader bytes(text);
    TextReader reader(bytes, utf8);
    return readWords(reader, table, format);
}

namespace {

// Tells `report` of each line the game stops at, cuts or reads as an empty
// word, reading the text as readWords does.
void reportWords(ByteReader &bytes, bool utf8, WordListFormat format,
                 const data_report::Sink &report) {
    TextReader reader(bytes, utf8);
    Line line;
    size_t number = 0, words = 0;
    while (!reader.atEnd()) {
        const LineResult result = format == WordListFormat::Classic
                                      ? readClassicLine(reader, line)
                                      : readAccentedLine(reader, line);
        ++number;
        if (result == LineResult::Bad) {
            report(number, "character code " + std::to_string(line.badCharacter) +
                               (format == WordListFormat::Classic
                                    ? " is not a letter A..Z: the game stops here"
                                    : " is not allowed in a word: the game stops here"));
            return;
        }
        if (result == LineResult::Skipped || result == LineResult::Category)
            continue;
        if (++words > WordListCapacity) {
            report(number,
                   "more than " + std::to_string(WordListCapacity) + " words: the game stops here");
            return;
        }
        if (line.text.empty())
            report(number, "empty line: an empty word the game can draw");
        else if (format == WordListFormat::Classic && line.letters > WordCapacity)
            report(number, "longer than " + std::to_string(WordCapacity) + " letters: cut to " +
                               data_report::quoted(line.text));
    }
    if (bytes.cutByMark())
        report(number + 1, "a Ctrl+Z (code 26) ends the list here: the rest is ignored");
    if (words == 0)
        report(0, "no words: the game stops at its start");
}

} // namespace

bool reportWordList(const std::string &path, const data_report::Sink &report,
                    WordListFormat format) {
    platform::File file;
    if (!file.open(path))
        return false;
    ByteReader probe(file);
    const bool utf8 = isUtf8(probe);
    platform::File again;
    if (!again.open(path))
        return false;
    ByteReader bytes(again);
    reportWords(bytes, utf8, format, report);
    return true;
}

} // namespace game
