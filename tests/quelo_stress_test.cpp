// Stress of the built-in engine: accented vowels, the endings of the state
// machine, vowel pairs, qu and gu, and the unstressed short words.
#include "platform/cp1252.h"
#include "tradutor/quelo/stress.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string cp(const char *utf8) {
    return platform::utf8ToCp1252(utf8);
}

TEST(QueloStress, PositionOfTheStressedLetter) {
    const struct {
        const char *word;
        size_t position;
    } cases[] = {
        // Endings a, e, o (with s or m): the vowel before.
        {"casa", 2},
        {"cidade", 4},
        {"casas", 2},
        {"falam", 2},
        {"homem", 2},
        {"quero", 3},
        {"livros", 2},
        {"CASA", 2},
        {"Escola", 4},
        // Endings i, u, a consonant: the last vowel.
        {"cantar", 5},
        {"papel", 4},
        {"feliz", 4},
        {"tatu", 4},
        {"jabuti", 6},
        {"rapaz", 4},
        {"jardim", 5},
        {"atum", 3},
        {"marrom", 5},
        {"show", 3},
        // An accented vowel wins, capitals included.
        {"lápis", 2},
        {"táxi", 2},
        {"café", 4},
        {"você", 4},
        {"português", 8},
        {"LÁPIS", 2},
        {"ÁRVORE", 1},
        {"órfão", 4},
        {"irmã", 4},
        {"avós", 3},
        // Vowel pairs, qu and gu.
        {"que", 3},
        {"aqui", 4},
        {"rua", 2},
        {"dia", 2},
        {"pai", 2},
        {"água", 1},
        {"saguão", 5},
        {"agüentar", 7},
        {"guerra", 3},
        {"quilo", 3},
        {"seguir", 5},
        {"foi", 2},
        {"sério", 2},
        {"queijo", 3},
        {"mau", 2},
        {"baú", 3},
        {"leques", 2},
        {"guia", 3},
        {"ruim", 3},
        {"cuia", 3},
        {"série", 2},
        // Without a vowel (y counts as one).
        {"psst", 0},
        {"xyz", 2},
        {"bcd", 0},
        {"s", 0},
        {"", 0},
        {"123", 0},
        {"---", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(quelo::findStress(cp(c.word)), c.position) << c.word;
}

TEST(QueloStress, ShortAndFunctionWordsAreUnstressed) {
    const struct {
        const char *word;
        bool unstressed;
    } cases[] = {
        {"", true},      {"a", true},    {"de", true},     {"os", true},       {"por", true},
        {"POR", true},   {"das", true},  {"dos", true},    {"Com", true},      {"não", true},
        {"NÃO", true},   {"Não", true},  {"sim", true},    {"casa", false},    {"pão", false},
        {"para", false}, {"nas", false}, {"comer", false}, {"simples", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(quelo::isUnstressedWord(cp(c.word)), c.unstressed) << c.word;
}

TEST(QueloStress, AnyBytesAndLongWordsStayInsideTheWord) {
    std::string every;
    for (int code = 1; code < 256; ++code)
        every += static_cast<char>(code);
    EXPECT_LE(quelo::findStress(every), every.size());
    for (int code = 0; code < 256; ++code) {
        const std::string word(3, static_cast<char>(code));
        EXPECT_LE(quelo::findStress(word), word.size()) << code;
    }
    const std::string longWord = std::string(100000, 'b') + "que";
    EXPECT_EQ(quelo::findStress(longWord), longWord.size());
    EXPECT_EQ(quelo::findStress(std::string(100000, 'a')), 99999u);
}

} // namespace
