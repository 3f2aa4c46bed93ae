#include "platform/cp1252_literal.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using namespace platform::literals;

namespace {

struct LiteralCase {
    const char *converted;
    std::string_view bytes;
};

// Every accented letter of Portuguese, both cases, and the marks the texts use.
const LiteralCase Letters[] = {
    {"á"_cp1252, "\xe1"}, {"à"_cp1252, "\xe0"}, {"â"_cp1252, "\xe2"}, {"ã"_cp1252, "\xe3"},
    {"é"_cp1252, "\xe9"}, {"ê"_cp1252, "\xea"}, {"í"_cp1252, "\xed"}, {"ó"_cp1252, "\xf3"},
    {"ô"_cp1252, "\xf4"}, {"õ"_cp1252, "\xf5"}, {"ú"_cp1252, "\xfa"}, {"ü"_cp1252, "\xfc"},
    {"ç"_cp1252, "\xe7"}, {"Á"_cp1252, "\xc1"}, {"À"_cp1252, "\xc0"}, {"Â"_cp1252, "\xc2"},
    {"Ã"_cp1252, "\xc3"}, {"É"_cp1252, "\xc9"}, {"Ê"_cp1252, "\xca"}, {"Í"_cp1252, "\xcd"},
    {"Ó"_cp1252, "\xd3"}, {"Ô"_cp1252, "\xd4"}, {"Õ"_cp1252, "\xd5"}, {"Ú"_cp1252, "\xda"},
    {"Ü"_cp1252, "\xdc"}, {"Ç"_cp1252, "\xc7"}, {"º"_cp1252, "\xba"}, {"ª"_cp1252, "\xaa"},
    {"¨"_cp1252, "\xa8"}, {"€"_cp1252, "\x80"}, {"“"_cp1252, "\x93"}, {"”"_cp1252, "\x94"},
    {"ÿ"_cp1252, "\xff"}, {"Ÿ"_cp1252, "\x9f"},
};

TEST(Cp1252Literal, EveryAccentedLetterIsItsOneByte) {
    for (const LiteralCase &c : Letters)
        EXPECT_EQ(std::string_view(c.converted), c.bytes) << c.converted;
}

TEST(Cp1252Literal, AsciiIsUntouchedAndTheLengthCountsBytes) {
    const std::string ascii = " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_"
                              "`abcdefghijklmnopqrstuvwxyz{|}~";
    EXPECT_EQ(std::string(" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_"
                          "`abcdefghijklmnopqrstuvwxyz{|}~"_cp1252),
              ascii);
    EXPECT_EQ(std::string_view(""_cp1252), "");
    EXPECT_EQ(std::string_view("configuração"_cp1252), "configura\xe7\xe3o");
    EXPECT_EQ(std::string_view("configuração"_cp1252).size(), 12u);
    EXPECT_EQ(std::string_view("Parabéns !  A palavra"_cp1252), "Parab\xe9ns !  A palavra");
}

TEST(Cp1252Literal, IsAConstantWithOneCopyPerText) {
    constexpr std::string_view three = "três"_cp1252;
    static_assert(three.size() == 4 && three[2] == '\xea');
    EXPECT_EQ("milhões"_cp1252, "milhões"_cp1252);
}

} // namespace

namespace {

TEST(Cp1252Literal, OneCharacterIsItsByte) {
    static_assert(platform::cp1252Char(U'ç') == '\xe7');
    static_assert(platform::cp1252Char(U'A') == 'A');
    static_assert(platform::cp1252Char(U'”') == '\x94');
    EXPECT_EQ(platform::cp1252Char(U'ã'), *"ã"_cp1252);
}

} // namespace
