// The game's word list in both formats: any bytes load or are refused, and
// what loads holds at most 500 words of at most 40 characters each: A..Z in
// the classic format; in the accented one letters, hyphens and blanks, never
// a hyphen or blank at either end, with a category index that names one of
// at most as many categories as words.
#include "game/letters.h"
#include "game/word_list.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstddef>
#include <cstdint>

namespace {

void checkClassic(const game::WordTable &table) {
    for (int32_t i = 0; i < table.count; ++i)
        for (const char c : table.words[static_cast<size_t>(i)])
            if (c < 'A' || c > 'Z')
                __builtin_trap();
}

void checkAccented(const game::WordTable &table) {
    if (table.categoryNames.size() > static_cast<size_t>(table.count))
        __builtin_trap();
    for (int32_t i = 0; i < table.count; ++i) {
        const std::string &word = table.words[static_cast<size_t>(i)];
        const int16_t category = table.categories[static_cast<size_t>(i)];
        if (category != game::NoCategory &&
            (category < 0 || static_cast<size_t>(category) >= table.categoryNames.size()))
            __builtin_trap();
        if (word.empty() || word.front() == '-' || word.front() == ' ')
            __builtin_trap();
        for (const char c : word)
            if (c != '-' && c != ' ' && game::plainLetter(static_cast<uint8_t>(c)) == 0)
                __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static game::WordTable table;
    for (const auto format : {game::WordListFormat::Classic, game::WordListFormat::Accented}) {
        const auto result = game::readWordListText(fuzz_support::asText(data, size), table, format);
        if (table.count < 0 || table.count > game::WordListCapacity)
            __builtin_trap();
        if (result != game::WordListResult::Loaded)
            continue;
        for (int32_t i = 0; i < table.count; ++i)
            if (table.words[static_cast<size_t>(i)].size() > game::WordCapacity)
                __builtin_trap();
        if (format == game::WordListFormat::Classic)
            checkClassic(table);
        else
            checkAccented(table);
    }
    return 0;
}
