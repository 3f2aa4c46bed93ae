#include "platform/cp1252.h"

namespace platform {

namespace {

void appendUtf8(std::string &out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i]; returns its length (0 when malformed).
size_t decodeUtf8(const std::string &text, size_t i, uint32_t &cp) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(i);
    size_t length = lead < 0x80         ? 1
                    : (lead >> 5) == 6  ? 2
                    : (lead >> 4) == 14 ? 3
                    : (lead >> 3) == 30 ? 4
                                        : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    cp = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    return length;
}

} // namespace

uint32_t cp1252ToUnicode(uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0)
        return Cp1252HighControls[byte - 0x80];
    return byte;
}

std::string utf8ToCp1252(const std::string &utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        uint32_t cp = 0;
        const size_t length = decodeUtf8(utf8, i, cp);
        if (length == 0) {
            ++i;
            continue;
        }
        i += length;
        const int byte = unicodeToCp1252(cp);
        if (byte >= 0)
            out += static_cast<char>(byte);
    }
    return out;
}

std::string cp1252ToUtf8(const std::string &bytes) {
    std::string out;
    for (const char c : bytes) {
        const uint32_t cp = cp1252ToUnicode(static_cast<uint8_t>(c));
        if (cp != 0 || c == 0)
            appendUtf8(out, cp);
    }
    return out;
}

void Utf8Check::feed(uint8_t byte) {
    if (!valid_)
        return;
    if (pending_ > 0) {
        // Overlong forms, surrogates and code points above U+10FFFF are
        // caught at the byte after the lead.
        const bool second = index_ == 1;
        const bool bad = (byte & 0xC0) != 0x80 || (second && lead_ == 0xE0 && byte < 0xA0) ||
                         (second && lead_ == 0xED && byte >= 0xA0) ||
                         (second && lead_ == 0xF0 && byte < 0x90) ||
                         (second && lead_ == 0xF4 && byte >= 0x90);
        if (bad)
            valid_ = false;
        --pending_;
        ++index_;
        return;
    }
    lead_ = byte;
    index_ = 1;
    if (byte < 0x80)
        pending_ = 0;
    else if (byte >= 0xC2 && byte <= 0xDF)
        pending_ = 1;
    else if (byte >= 0xE0 && byte <= 0xEF)
        pending_ = 2;
    else if (byte >= 0xF0 && byte <= 0xF4)
        pending_ = 3;
    else
        valid_ = false;
}

std::string textToCp1252(const std::string &text) {
    const bool marked = text.rfind(Utf8Mark, 0) == 0;
    Utf8Check check;
    for (const char c : text)
        check.feed(static_cast<uint8_t>(c));
    if (!check.valid())
        return text;
    return utf8ToCp1252(marked ? text.substr(3) : text);
}

} // namespace platform
