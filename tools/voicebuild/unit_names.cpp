#include "tools/voicebuild/unit_names.h"

#include "tradutor/diphone/phoneme_units.h"

#include <string_view>

namespace voicebuild {
namespace {

namespace units = diphone::units;

void resolveInto(const std::string &name, const std::set<std::string> &voice, Resolution &result) {
    const std::string upper = upperAscii(name);
    if (voice.contains(upper)) {
        result.played.push_back(upper);
        return;
    }
    if (name.size() <= 2) {
        result.noise = true;
        return;
    }
    const auto pieces = fallbackNames(name);
    if (pieces.empty()) {
        result.silent = true;
        return;
    }
    for (const auto &piece : pieces) {
        resolveInto(piece, voice, result);
    }
}

} // namespace

std::string upperAscii(std::string text) {
    for (char &c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

std::vector<std::string> lookupNames(const std::string &phonemes) {
    std::vector<std::string> names;
    const auto collect = [&names](std::string_view unit, double) {
        units::unitNames(unit, [&names](const std::string &name, bool) {
            if (name[0] != '_') // a letter recording
                names.push_back(name.substr(0, units::NameCapacity));
        });
    };
    units::GroupReader reader(phonemes);
    while (!reader.atEnd()) {
        bool opensWord = false;
        const std::string group = reader.next(opensWord);
        if (!units::isPauseGroup(group))
            units::splitGroup(group, 1.0, collect);
    }
    return names;
}

std::vector<std::string> fallbackNames(const std::string &fullName) {
    std::vector<std::string> names;
    for (const auto &piece : units::fallbackPieces(fullName.substr(0, units::NameCapacity)))
        names.push_back(piece.name.substr(0, units::NameCapacity));
    return names;
}

std::map<std::string, std::set<ShortPlay>> shortPlays(const std::vector<std::string> &phonemes) {
    std::map<std::string, std::set<ShortPlay>> plays;
    const auto collect = [&plays](std::string_view unit, double share) {
        if (share >= 1.0) {
            return;
        }
        units::unitNames(unit, [&plays, share](const std::string &name, bool stressed) {
            const std::string upper = upperAscii(name.substr(0, units::NameCapacity));
            if (upper[0] != '_') {
                plays[upper].insert({share, stressed || upper.size() <= 2});
            }
        });
    };
    for (const auto &text : phonemes) {
        units::GroupReader reader(text);
        while (!reader.atEnd()) {
            bool opensWord = false;
            const std::string group = reader.next(opensWord);
            if (!units::isPauseGroup(group))
                units::splitGroup(group, 1.0, collect);
        }
    }
    return plays;
}

std::optional<size_t> shortPlayEnd(size_t length, const ShortPlay &play, size_t unitCut) {
    if (!play.whole && length <= unitCut) {
        return std::nullopt;
    }
    const size_t kept = play.whole ? length : length - unitCut;
    // As the synthesizer scales a length: truncated towards zero.
    return static_cast<size_t>(static_cast<double>(kept) * play.share);
}

Resolution resolve(const std::string &name, const std::set<std::string> &voice) {
    Resolution result;
    resolveInto(name, voice, result);
    return result;
}

} // namespace voicebuild
