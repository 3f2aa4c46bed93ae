// Reading of the word list: one word a line, letters A..Z only.
#pragma once

#include "platform/data_report.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace game {

constexpr int32_t WordListCapacity = 500;
constexpr size_t WordCapacity = 40;

struct WordTable {
    std::array<std::string, WordListCapacity> words;
    int32_t count = 0;
};

enum class WordListResult { Loaded, CannotOpen, TooManyLines, BadCharacter, Empty };

// Fills `table` from the file. On BadCharacter, `table.count` holds the
// number of good lines before the bad one.
WordListResult readWordList(const std::string &path, WordTable &table);
// Tells `report` of every line the game stops at, cuts or reads as an empty
// word, reading the file the way readWordList does; false when it cannot be
// opened.
bool reportWordList(const std::string &path, const data_report::Sink &report);
// The same for the bytes of a word list held in memory (never CannotOpen).
WordListResult readWordListText(std::string_view text, WordTable &table);

} // namespace game
