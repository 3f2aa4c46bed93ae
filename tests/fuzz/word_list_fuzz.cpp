// The game's word list: any bytes load or are refused, and what loads holds
// at most 500 words of at most 40 letters A..Z each.
#include "game/word_list.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static game::WordTable table;
    const auto result = game::readWordListText(fuzz_support::asText(data, size), table);
    if (table.count < 0 || table.count > game::WordListCapacity)
        __builtin_trap();
    if (result != game::WordListResult::Loaded)
        return 0;
    for (int32_t i = 0; i < table.count; ++i) {
        const std::string &word = table.words[static_cast<size_t>(i)];
        if (word.size() > game::WordCapacity)
            __builtin_trap();
        for (const char c : word)
            if (c < 'A' || c > 'Z')
                __builtin_trap();
    }
    return 0;
}
