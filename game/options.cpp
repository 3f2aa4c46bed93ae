#include "game/options.h"

#include "game/outside.h"

namespace game {

namespace {

bool isOn(const char *key) {
    const std::string value = readConfig("GALDRINO", key);
    return !value.empty() && (value[0] == 'S' || value[0] == 's');
}

} // namespace

Options readOptions() {
    Options options;
    options.help = isOn("AJUDA");
    options.score = isOn("PLACAR");
    options.accents = isOn("ACENTOS");
    return options;
}

} // namespace game
