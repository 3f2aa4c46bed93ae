// Reading of the word list: one word a line, letters A..Z only; or, in the
// accented format, Portuguese words with comments and categories. A list in
// UTF-8 (with or without its byte-order mark) is read as well as one in
// Windows-1252, and handed on in Windows-1252.
#pragma once

#include "platform/data_report.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace game {

constexpr int32_t WordListCapacity = 500;
constexpr size_t WordCapacity = 40;

constexpr int16_t NoCategory = -1;

struct WordTable {
    std::array<std::string, WordListCapacity> words;
    // Per word, its index in `categoryNames`, or NoCategory.
    std::array<int16_t, WordListCapacity> categories{};
    std::vector<std::string> categoryNames;
    int32_t count = 0;
    // Where a BadCharacter was found: the 1-based line and the character.
    int32_t errorLine = 0;
    uint8_t errorCharacter = 0;
};

enum class WordListResult { Loaded, CannotOpen, TooManyLines, BadCharacter, Empty };

// The two formats. Classic: every line a word of A..Z (a..z upper-cased),
// an empty line an empty word. Accented: A..Z and ÁÀÂÃÉÊÍÓÔÕÚÜÇ of either
// case, a hyphen or blank inside a word; blanks around a word dropped; empty
// lines and lines starting with "#" skipped; a line "[Name]" starts the
// category of the words after it.
enum class WordListFormat { Classic, Accented };

// Fills `table` from the file. On BadCharacter, `table.count` holds the
// number of words before the bad line.
WordListResult readWordList(const std::string &path, WordTable &table,
                            WordListFormat format = WordListFormat::Classic);
// Tells `report` of every line the game stops at, cuts or reads as an empty
// word, reading the file the way readWordList does; false when it cannot be
// opened.
bool reportWordList(const std::string &path, const data_report::Sink &report,
                    WordListFormat format = WordListFormat::Classic);
// The same for the bytes of a word list held in memory (never CannotOpen).
WordListResult readWordListText(std::string_view text, WordTable &table,
                                WordListFormat format = WordListFormat::Classic);

} // namespace game
