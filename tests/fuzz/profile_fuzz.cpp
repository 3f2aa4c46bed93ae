// ZEBUNA.INI as the POSIX hosts read it, and the configuration lookup on top:
// every key the program reads, looked up in any text, with the system root
// put in place of "@", read as an integer and as a switch. Values never
// exceed their capacity.
#include "platform/posix/profile_text.h"
#include "tests/fuzz/fuzz_support.h"
#include "tradutor/speech/config.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

struct Lookup {
    const char *section;
    const char *key;
    size_t capacity;
};

// The keys the program reads, with the capacities its readers give.
constexpr Lookup Keys[] = {
    {"GALDRINO", "DIRQUIBO2", 256},
    {"GALDRINO", "ARQPALAVRAS", 256},
    {"TRADUTOR", "DIRLETRAS", 256},
    {"TRADUTOR", "dirLetras", 81},
    {"TRADUTOR", "DIRDIFONES", 81},
    {"TRADUTOR", "SAPI", 256},
    {"TRADUTOR", "VELOCIDADE", 256},
    {"SINTETIZADOR", "DIFONES3", 256},
    {"SINTETIZADOR", "CORTEFON3", 256},
    {"SINTETIZADOR", "PAUSAVIRG3", 256},
    {"SERVFALA", "TIPOSAPI", 256},
    {"SERVFALA", "VOZ", 256},
    {"QUELOTTS", "MBROLA_DB", 256},
    {"QUELOTTS", "DIR", 256},
    {"VIDEO", "FONTE", 33},
    {"VIDEO", "AMPLIF", 256},
    {"BRAILLE", "MODO", 256},
    {"ZEBUNA", "PGMZEBUNA", 256},
    {"", "", 256},
    {" tradutor ", " sapi ", 1},
};

void lookUp(std::string_view ini, const std::string &section, const std::string &key,
            size_t capacity) {
    const std::string value = posix_host::profileValue(ini, section, key, "padr\343o  ", capacity);
    if (capacity > 0 && value.size() >= capacity)
        __builtin_trap();
    const auto root = [&] {
        const std::string text = posix_host::profileValue(ini, "ZEBUNA", "PGMZEBUNA", "", 256);
        return text.empty() || text[0] == '@' ? std::string("c:\\inicio") : text;
    };
    speech::substituteRoot(value, root);
    speech::parseConfigInteger(value);
    speech::isSwitchOn(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string_view ini = fuzz_support::asText(data, size);
    for (const Lookup &lookup : Keys)
        lookUp(ini, lookup.section, lookup.key, lookup.capacity);
    // A section and key named by the input's own first line, "section|key".
    const std::string_view first = ini.substr(0, ini.find('\n'));
    const size_t bar = first.find('|');
    if (bar != std::string_view::npos)
        lookUp(ini, std::string(first.substr(0, bar)), std::string(first.substr(bar + 1)), 256);
    return 0;
}
