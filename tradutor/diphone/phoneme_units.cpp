#include "tradutor/diphone/phoneme_units.h"

#include <algorithm>

namespace diphone::units {
namespace {

// A group this long ends at the next "/".
constexpr size_t GroupCutLength = 9;
// Share of their recorded length that decomposed pieces keep.
constexpr double LeadShare = 0.9;
constexpr double DiphthongLeadShare = 0.6;
constexpr double PluralLeadShare = 0.7;

bool isIn(char c, std::string_view set) {
    return set.find(c) != std::string_view::npos;
}
bool isUnitVowel(char c) {
    return isIn(c, "AEIOUaeiouwy");
}
bool isUnitConsonant(char c) {
    return isIn(c, "bcdfgjklmnpqrstvxz");
}
bool isSemivowel(char c) {
    return c == 'w' || c == 'y';
}
bool isStressedVowel(char c) {
    return isIn(c, "AEIOU");
}
bool isMark(char c) {
    return c == '^' || c == '~';
}

char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Consonant pairs spoken as one sound at the start of a group.
bool startsKeptTogether(std::string_view group) {
    const auto pair = group.substr(0, 2);
    return pair == "dj" || pair == "nh" || pair == "rr" || pair == "ks" || group.starts_with("tch");
}

} // namespace

std::string GroupReader::next(bool &opensWord) {
    opensWord = text_[position_] == '[';
    if (opensWord)
        ++position_;
    std::string group;
    const auto append = [&group](char c) {
        if (group.size() < GroupCapacity)
            group += c;
    };
    while (position_ < text_.size() && text_[position_] != ' ' && text_[position_] != ']') {
        const char c = text_[position_];
        if (c == '/' && group.size() >= GroupCutLength)
            break;
        ++position_;
        if (c == '/')
            continue;
        if (c == '|') {
            group = "_TRACO";
        } else if (c == '_') {
            append(c);
            if (position_ < text_.size())
                append(text_[position_++]);
        } else {
            append(c);
        }
    }
    position_ = std::min(position_ + 1, text_.size());
    return group;
}

bool isPauseGroup(std::string_view group) {
    return group.size() == 2 && group[0] == '_' && isIn(group[1], ",.;:");
}

void splitGroup(std::string_view group, double share, const UnitSink &sink) {
    const size_t length = group.size();
    if (length <= 1) {
        sink(group, share);
        return;
    }
    if (length > 2) {
        if (isUnitConsonant(group[0]) && isUnitConsonant(group[1]) && !startsKeptTogether(group)) {
            sink(group.substr(0, 1), 1.0);
            splitGroup(group.substr(1), share, sink);
            return;
        }
        if (group.ends_with("rr")) {
            splitGroup(group.substr(0, length - 2), share, sink);
            sink("rr", share);
            return;
        }
        if (isUnitConsonant(group.back())) {
            splitGroup(group.substr(0, length - 1), share, sink);
            splitGroup(group.substr(length - 1), share, sink);
            return;
        }
    }
    if (isSemivowel(group.back())) {
        const char before = group[length - 2];
        if (isUnitVowel(before) && length > 2) {
            splitGroup(group.substr(0, length - 1), DiphthongLeadShare, sink);
            sink(group.substr(length - 2), share);
            return;
        }
        if (isMark(before) && length >= 3) {
            // The vowel before the mark is played closed, then the diphthong
            // with the mark behind the semivowel: "a~w" sounds "aw~".
            if (length > 3) {
                if (before == '~')
                    splitGroup(std::string(group.substr(0, length - 2)) + "^", DiphthongLeadShare,
                               sink);
                else
                    splitGroup(group.substr(0, length - 1), DiphthongLeadShare, sink);
            }
            const char moved[] = {group[length - 3], group.back(), before};
            sink(std::string_view(moved, sizeof moved), share);
            return;
        }
    }
    if (group != "_s" && group.back() == 's') {
        splitGroup(group.substr(0, length - 1), PluralLeadShare, sink);
        sink("s", share);
        return;
    }
    sink(group, share);
}

void unitNames(std::string_view unit, const NameSink &sink) {
    unit = unit.substr(0, NameCapacity);
    if (unit.empty())
        return;
    if (unit.front() == '_') {
        std::string name = "_";
        if (unit.size() > 1)
            name += std::to_string(static_cast<uint8_t>(unit[1]));
        sink(name, false);
        return;
    }
    std::string name = "$";
    bool stressed = false;
    for (const char c : unit) {
        if (isMark(c)) {
            sink(name + (c == '^' ? "CIRC" : "TIL"), stressed);
            name = "$";
            continue;
        }
        stressed = stressed || isStressedVowel(c);
        name += c;
    }
    if (name.size() > 1)
        sink(name, stressed);
}

std::vector<Piece> fallbackPieces(const std::string &name) {
    using Accent = Piece::Accent;
    const size_t length = name.size();
    if (length <= 2)
        return {};
    const char last = name.back();
    if (isUnitVowel(last))
        return {{name.substr(0, length - 1), LeadShare, true, Accent::OfName},
                {std::string("$") + last, 1.0, true, Accent::OfName}};
    if (name.ends_with("CIRC") && length >= 7)
        return {{name.substr(0, length - 5), LeadShare, true, Accent::OfName},
                {"$" + name.substr(length - 5), 1.0, true, Accent::OfName}};
    if (name.ends_with("TIL") && length > 3) {
        // A nasal vowel: its closed vowel (i and u have none), then the murmur.
        const std::string vowel = name.substr(0, length - 3);
        const char plain = upperAscii(vowel.back());
        Piece closed = plain == 'I' || plain == 'U'
                           ? Piece{vowel, LeadShare, true, Accent::OfName}
                           : Piece{vowel + "CIRC", LeadShare, true, Accent::Stressed};
        return {std::move(closed), {"$nn", LeadShare, false, Accent::WordStart}};
    }
    return {};
}

} // namespace diphone::units
