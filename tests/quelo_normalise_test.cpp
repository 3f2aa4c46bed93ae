// Text normalisation of the built-in engine: number words, character names,
// the abbreviation file and table, and the rewriting of whole texts,
// well-formed or not.
#include "platform/cp1252.h"
#include "platform/file.h"
#include "tests/test_support.h"
#include "tradutor/quelo/letters.h"
#include "tradutor/quelo/normalise.h"
#include "tradutor/quelo/readings.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

namespace {

using test_support::TempDir;

std::string cp(const std::string &utf8) {
    return platform::utf8ToCp1252(utf8);
}

// The table the texts below are normalised with, Windows-1252 with CR LF.
const char *const SampleAbbreviations = "; sample table\r\n"
                                        "SR=senhor\r\n"
                                        "  dr =  doutor  \r\n"
                                        "Av=avenida\r\n"
                                        "R=rua\r\n"
                                        "pág=página\r\n"
                                        "km=quilômetros\r\n"
                                        "Sr=sinhô\r\n"
                                        "tel=\r\n";

class QueloNormalise : public ::testing::Test {
protected:
    void SetUp() override {
        test_support::writeFile(dir_.file("portug.abr"), cp(SampleAbbreviations));
        ASSERT_TRUE(quelo::loadAbbreviations(dir_.file("portug.abr")));
    }
    void TearDown() override { quelo::loadAbbreviations(dir_.file("absent.abr")); }

    TempDir dir_;
};

TEST(QueloNumbers, CardinalWords) {
    const struct {
        uint64_t value;
        const char *words;
    } cases[] = {
        {0, "zero"},
        {1, "um"},
        {7, "sete"},
        {10, "dez"},
        {15, "quinze"},
        {20, "vinte"},
        {21, "vinte e um"},
        {55, "cinqüenta e cinco"},
        {100, "cem"},
        {101, "cento e um"},
        {110, "cento e dez"},
        {200, "duzentos"},
        {999, "novecentos e noventa e nove"},
        {1000, "mil "},
        {1001, "mil e um"},
        {1100, "mil e cem"},
        {2500, "dois mil e quinhentos"},
        {12345, "doze mil e trezentos e quarenta e cinco"},
        {1000000, "um milhão "},
        {2000000, "dois milhões "},
        {1234567, "um milhão duzentos e trinta e quatro mil e quinhentos e sessenta e sete"},
        {1000000000, "um bilhão "},
        {3000000001, "três bilhões e um"},
        {1000000000000, "um trilhão "},
        {999999999999999, "novecentos e noventa e nove trilhões novecentos e noventa e nove "
                          "bilhões novecentos e noventa e nove milhões novecentos e noventa e "
                          "nove mil e novecentos e noventa e nove"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(quelo::cardinalWords(c.value), cp(c.words)) << c.value;
}

TEST(QueloNumbers, OrdinalWordsInBothGenders) {
    using quelo::Gender;
    const struct {
        uint64_t value;
        Gender gender;
        const char *words;
    } cases[] = {
        {1, Gender::Masculine, "primeiro"},
        {2, Gender::Feminine, "segunda"},
        {7, Gender::Masculine, "sétimo"},
        {10, Gender::Masculine, "décimo"},
        {11, Gender::Feminine, "décima primeira"},
        {121, Gender::Masculine, "centésimo vigésimo primeiro"},
        {300, Gender::Masculine, "tricentésimo"},
        {1000, Gender::Feminine, "milésima"},
        {1999, Gender::Feminine, "milésima nongentésima nonagésima nona"},
        {1999, Gender::Masculine, "milésimo nongentésimo nonagésimo nono"},
        {2000, Gender::Masculine, "dois mil "},
        {2001, Gender::Feminine, "dois mil e um"},
        {0, Gender::Feminine, "zero"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(quelo::ordinalWords(c.value, c.gender), cp(c.words)) << c.value;
}

TEST(QueloNames, CharacterNames) {
    const struct {
        int code;
        const char *name;
    } cases[] = {
        {32, "espaço"},
        {48, "zéro"},
        {63, "interrogação"},
        {67, " sê"},
        {99, " sê"},
        {68, " dê"},
        {100, " dê"},
        {106, "jóta"},
        {74, "jóta"},
        {110, "êne"},
        {78, "êne"},
        {126, "til"},
        {161, "exclamação reversa"},
        {186, "ordinal masculino"},
        {191, "interrogação reversa"},
        {192, "A grave"},
        {224, "A grave"},
        {231, "Cê cedilha"},
        {220, "U com trema"},
        {252, "U com trema"},
        {0, ""},
        {31, ""},
        {127, ""},
        {128, ""},
        {160, ""},
        {221, ""},
        {223, ""},
        {253, ""},
        {255, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(quelo::charName(static_cast<uint8_t>(c.code)), cp(c.name)) << c.code;
}

TEST_F(QueloNormalise, Texts) {
    const struct {
        const char *text;
        const char *normal;
    } cases[] = {
        // Numbers, decimals and thousands separators.
        {"3,5", "três vírgula cinco "},
        {"3.5", "três ponto cinco "},
        {"1.000", "mil  "},
        {"1.000 reais", "mil   reais"},
        {"1.000.000", "um milhão  "},
        {"12.345,67", "doze mil e trezentos e quarenta e cinco vírgula sessenta e sete "},
        {"1.00", "um ponto zero zero "},
        {"1.0000", "um ponto zero zero zero zero "},
        {"2,5,1", "dois vírgula cinco vírgula um "},
        {"3, 5", "três , cinco "},
        {"007", "zero zero sete "},
        {"00", "zero zero "},
        {" 0", " zero "},
        {"100 anos", "cem  anos"},
        {"1234567890123456",
         "cento e vinte e três trilhões quatrocentos e cinqüenta e seis bilhões setecentos e "
         "oitenta e nove milhões doze mil e trezentos e quarenta e cinco seis "},
        // Negatives, dashes between blanks, dashed numbers.
        {"-5", "menos cinco "},
        {"-3,5", "menos três vírgula cinco "},
        {"a - b", "a , bê"},
        {"10 - 5", "dez  , cinco "},
        {"1-800-2020", " um traço oito zero zero traço dois zero dois zero "},
        {"5-", " cinco traço "},
        // Ordinals.
        {"1º", "primeiro "},
        {"1o.", "primeiro "},
        {"2ª", "segunda "},
        {"21a. vez", "vigésima primeira  vez"},
        {"3os.", "terceiros "},
        {"3as.", "terceiras "},
        {"01º", "primeiro "},
        {"2000º", "dois mil  "},
        {"2000os.", "dois mil  "},
        {"1o", "um o"},
        // Abbreviations before a blank and at the end of the text.
        {"Sr. Silva", "senhor Silva"},
        {"o Dr. chegou", "o doutor chegou"},
        {"Av. Paulista", "avenida Paulista"},
        {"R. Augusta", "rua Augusta"},
        {"pág. 3", "página três "},
        {"PÁG. 3", "página três "},
        {"falei com o Sr.", "falei com o senhor"},
        {"10 km.", "dez  quilômetros"},
        {"Sr.Silva", "Sr ponto Silva"},
        {"tel. 5", "tel. cinco "},
        {"casa. Fim", "casa. Fim"},
        // Words of consonants only are spelled.
        {"CPF", " sêpêéfe"},
        {"sr", "ésseérre"},
        {"Sr", "ésseérre"},
        {"www", "dábliudábliudábliu"},
        {"b-c", "bêtraço sê"},
        {"ç", "Cê cedilha"},
        {"çç", "Cê cedilhaCê cedilha"},
        // Single characters are named.
        {"?", "interrogação"},
        {"0", "zéro"},
        {"\x01", ""},
        {"a\x01", "a  "},
        {"C", " sê"},
        {"b", "bê"},
        {"-", "traço"},
        {"\t", ""},
        // Full stops, marks and symbols.
        {"site.com", "site ponto com"},
        {"fim.", "fim."},
        {"fim.)", "fim.)"},
        {"www.exemplo.br", "dábliudábliudábliu ponto exemplo ponto bêérre"},
        {"v.2", "vê ponto dois "},
        {"fim...", "fim... "},
        {"fim.\nOutro", "fim. Outro"},
        {"casa\r\nbonita", "casa  bonita"},
        {"olá, você!", "olá, você!"},
        {"(sim): não; ok?", "(sim): não; ok?"},
        {"a#b", "a sustenido bê"},
        {"50%", "cinqüenta por cento "},
        {"guarda-chuva", "guarda-chuva"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(platform::cp1252ToUtf8(quelo::normaliseText(cp(c.text))), c.normal) << c.text;
}

// What a Brazilian reader says for money, times, the number sign, Roman
// numerals, percentages and quotation marks; and the near misses that stay
// numbers, letters or words.
TEST_F(QueloNormalise, ReadsWrittenFormsAsAReaderSaysThem) {
    const struct {
        const char *text;
        const char *normal;
    } cases[] = {
        // Money: reais and centavos, one real, "de reais" after the millions.
        {"R$ 19,90", "dezenove reais e noventa centavos "},
        {"R$19,9", "dezenove reais e noventa centavos "},
        {"R$ 1,00", "um real "},
        {"R$ 1,01", "um real e um centavo "},
        {"R$ 0,50", "cinqüenta centavos "},
        {"r$ 2", "dois reais "},
        {"R$ 1.250,75", "mil e duzentos e cinqüenta reais e setenta e cinco centavos "},
        {"R$ 1.000.000", "um milhão de reais "},
        {"R$ 5 mil", "cinco mil reais "},
        {"R$ 3 milhões.", "três milhões de reais ."},
        {"custa R$ 10.", "custa dez reais ."},
        {"R$ 1,234", "érre cifrão  um vírgula duzentos e trinta e quatro "},
        {"R$", "érre cifrão "},
        {"AR$ 5", "AR cifrão  cinco "},
        // Times: the hour is feminine; catorze on the clock.
        {"14h30", "catorze e trinta "},
        {"14h", "catorze horas "},
        {"1h", "uma hora "},
        {"às 2h15", "às duas e quinze "},
        {"21h00", "vinte e uma horas "},
        {"9h05min.", "nove e cinco ."},
        {"0h40", "zero e quarenta "},
        {"24h por dia", "vinte e quatro horas  por dia"},
        {"25h30", "vinte e cinco agátrinta "},
        {"14h60", "quatorze agásessenta "},
        {"14h3", "quatorze agátrês "},
        {"14ha", "quatorze ha"},
        {"123h", "cento e vinte e três agá"},
        // The number sign.
        {"nº 100", "número  cem "},
        {"n.º 5", "número  cinco "},
        {"Nº 7", "número  sete "},
        {"nºs 1 e 2", "números  um  e dois "},
        {"n° 3", "número  três "},
        {"um nº", "um número "},
        {"anº", "an ordinal masculino "},
        // Ordinals with a full stop before the sign.
        {"1.º lugar", "primeiro  lugar"},
        {"2.ª vez", "segunda  vez"},
        // Roman numerals after a name or a title word.
        {"Pedro II", "Pedro segundo"},
        {"Pedro I chegou", "Pedro primeiro chegou"},
        {"Luís XIV", "Luís quatorze"},
        {"Bento XVI", "Bento dezesseis"},
        {"século XXI", "século vinte e um"},
        {"Século X", "Século décimo"},
        {"capítulo III", "capítulo três"},
        {"volume IV", "volume quatro"},
        {"Pedro IIII", "Pedro IIII"},
        {"Pedro ii", "Pedro ii"},
        {"João M. Silva", "João ême. Silva"},
        {"EU VI", "EU VI"},
        {"vi XX", "vi xisxis"},
        {"Pedro, II", "Pedro, II"},
        {"Meu CD", "Meu  sê dê"},
        {"Tamanho XL", "Tamanho xiséle"},
        {"século XL", "século quarenta"},
        // Percentages.
        {"50%", "cinqüenta por cento "},
        {"3,5%", "três vírgula cinco por cento "},
        {"100% certo", "cem por cento  certo"},
        // Quotation marks are not read; an apostrophe inside a word joins it.
        {"ele disse \"oi\"", "ele disse  oi "},
        {"«tchau»", " tchau "},
        {"\xe2\x80\x9cok\xe2\x80\x9d", " ok "},
        {"'sim'", " sim "},
        {"d'água", "dágua"},
        {"\"", "aspas"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(platform::cp1252ToUtf8(quelo::normaliseText(cp(c.text))), c.normal) << c.text;
}

TEST(QueloReadings, RomanValues) {
    const struct {
        const char *word;
        unsigned value;
    } cases[] = {
        {"I", 1},    {"IV", 4},    {"IX", 9},       {"XIV", 14},       {"XXI", 21},
        {"XL", 40},  {"XCIX", 99}, {"CDXLIV", 444}, {"MCMLXXX", 1980}, {"MMMCMXCIX", 3999},
        {"IIII", 0}, {"IC", 0},    {"VX", 0},       {"MMMM", 0},       {"", 0},
        {"xxi", 0},  {"XXA", 0},   {"IIV", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(quelo::romanValue(c.word), c.value) << c.word;
}

TEST_F(QueloNormalise, AbbreviationLookup) {
    const struct {
        const char *word;
        const char *expansion;
    } cases[] = {
        {"Sr", "senhor"}, {"sr", "senhor"}, {"DR", "doutor"}, {"pág", "página"}, {"PÁG", "página"},
        {"R", "rua"},     {"Srs", ""},      {"", ""},         {"tel", ""},       {"senhor", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(quelo::lookupAbbreviation(cp(c.word)), cp(c.expansion)) << c.word;
}

TEST(QueloAbbreviations, MissingFileEmptiesTheTable) {
    TempDir dir;
    test_support::writeFile(dir.file("portug.abr"), "SR=senhor\n");
    ASSERT_TRUE(quelo::loadAbbreviations(dir.file("portug.abr")));
    EXPECT_EQ(quelo::lookupAbbreviation("Sr"), "senhor");
    EXPECT_FALSE(quelo::loadAbbreviations(dir.file("absent.abr")));
    EXPECT_EQ(quelo::lookupAbbreviation("Sr"), "");
    EXPECT_EQ(quelo::normaliseText("Sr. Silva"), cp("ésseérre. Silva"));
}

TEST(QueloAbbreviations, LineEndsBlanksAndLinesWithoutEquals) {
    TempDir dir;
    test_support::writeFile(dir.file("portug.abr"),
                            std::string("\tAA = um = dois \rBB=cr\n\n;CC=comentario\r\n"
                                        "sem igual\r\n=vazia\r\nDD=fim sem quebra") +
                                '\0');
    ASSERT_TRUE(quelo::loadAbbreviations(dir.file("portug.abr")));
    EXPECT_EQ(quelo::lookupAbbreviation("aa"), "um = dois");
    EXPECT_EQ(quelo::lookupAbbreviation("BB"), "cr");
    EXPECT_EQ(quelo::lookupAbbreviation("CC"), "");
    EXPECT_EQ(quelo::lookupAbbreviation(";CC"), "");
    EXPECT_EQ(quelo::lookupAbbreviation("DD"), "fim sem quebra");
    quelo::loadAbbreviations(dir.file("absent.abr"));
}

TEST(QueloAbbreviations, LongLinesKeepTheirStartAndTheTableItsCapacity) {
    TempDir dir;
    std::string file =
        "LONGA=" + std::string(10000, 'x') + "\r\n" + std::string(300, 'K') + "=chave longa\r\n";
    for (size_t i = 0; i < quelo::MaxAbbreviations; ++i)
        file += "K" + std::to_string(i) + "=e" + std::to_string(i) + "\r\n";
    test_support::writeFile(dir.file("portug.abr"), file);
    ASSERT_TRUE(quelo::loadAbbreviations(dir.file("portug.abr")));
    const std::string longExpansion = quelo::lookupAbbreviation("longa");
    EXPECT_EQ(longExpansion, std::string(quelo::MaxAbbreviationLineLength - 6, 'x'));
    EXPECT_EQ(quelo::lookupAbbreviation(std::string(quelo::MaxAbbreviationLineLength, 'K')), "");
    EXPECT_EQ(quelo::lookupAbbreviation("K1997"), "e1997");
    EXPECT_EQ(quelo::lookupAbbreviation("K1998"), "");
    quelo::loadAbbreviations(dir.file("absent.abr"));
}

TEST(QueloAbbreviations, AnyBytesInTheFile) {
    TempDir dir;
    std::string bytes;
    for (int round = 0; round < 40; ++round)
        for (int code = 0; code < 256; ++code)
            bytes += static_cast<char>((code * 37 + round * 11) % 256);
    test_support::writeFile(dir.file("portug.abr"), bytes);
    EXPECT_TRUE(quelo::loadAbbreviations(dir.file("portug.abr")));
    EXPECT_EQ(quelo::lookupAbbreviation("casa"), "");
    quelo::loadAbbreviations(dir.file("absent.abr"));
}

TEST_F(QueloNormalise, AnyBytesLongWordsAndLongNumbers) {
    std::string every;
    for (int code = 0; code < 256; ++code)
        every += static_cast<char>(code);
    EXPECT_FALSE(quelo::normaliseText(every + every).empty());
    for (int code = 0; code < 256; ++code)
        for (int next = 0; next < 256; next += 5) {
            const std::string text = {static_cast<char>(code), static_cast<char>(next), '.'};
            quelo::normaliseText(text);
        }

    const std::string longWord(100000, 'a');
    EXPECT_EQ(quelo::normaliseText(longWord), longWord);
    EXPECT_EQ(quelo::normaliseText(std::string(3000, 'b')).size(),
              3000 * std::string("b\352").size());

    // Thirty digits: two fifteen-digit numbers.
    const std::string nines(30, '9');
    const std::string fifteen = quelo::cardinalWords(999999999999999);
    EXPECT_EQ(quelo::normaliseText(nines), fifteen + " " + fifteen + " ");
    const std::string manyDigits(100000, '7');
    EXPECT_FALSE(quelo::normaliseText(manyDigits).empty());
    EXPECT_FALSE(quelo::normaliseText(std::string(10000, '-') + "1").empty());
    EXPECT_FALSE(quelo::normaliseText("1" + std::string(10000, '.')).empty());
}

// The shipped abbreviations file, beside the sources.
std::string shippedAbbreviations() {
    return ZEB_SOURCE_DIR "/data/quelo/portug.abr";
}

TEST(QueloShippedAbbreviations, ExpandTheCommonOnes) {
    ASSERT_TRUE(quelo::loadAbbreviations(shippedAbbreviations()));
    const struct {
        const char *text;
        const char *normal;
    } cases[] = {
        {"Sr. Silva", "senhor Silva"},
        {"a Sra. Souza", "a senhora Souza"},
        {"Dr. Pedro e Dra. Ana", "doutor Pedro e doutora Ana"},
        {"Av. Brasil", "avenida Brasil"},
        {"R. Augusta", "rua Augusta"},
        {"pág. 12", "página doze "},
        {"Tel. 5", "telefone cinco "},
        {"10 km. depois", "dez  quilômetros depois"},
        {"5 kg. de arroz", "cinco  quilos de arroz"},
        {"Prof. Lima", "professor Lima"},
        {"Cia. Ltda.", "companhia limitada"},
        {"vamos ver. Fim", "vamos ver. Fim"},
        {"fui ao mar.", "fui ao mar."},
        {"contei até dez.", "contei até dez."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(platform::cp1252ToUtf8(quelo::normaliseText(cp(c.text))), c.normal) << c.text;
    quelo::loadAbbreviations(shippedAbbreviations() + ".absent");
}

// Every line ends in CR LF; every entry has a key once and an expansion of
// letters and blanks, which normalisation passes on as they are.
TEST(QueloShippedAbbreviations, AreWellFormed) {
    std::string bytes;
    ASSERT_TRUE(platform::readWholeFile(shippedAbbreviations(), bytes, 1 << 20));
    std::istringstream lines(bytes);
    std::set<std::string> keys;
    size_t entries = 0;
    for (std::string line; std::getline(lines, line);) {
        ASSERT_TRUE(!line.empty() && line.back() == '\r') << line;
        line.pop_back();
        EXPECT_LE(line.size(), quelo::MaxAbbreviationLineLength) << line;
        if (line.empty() || line[0] == ';')
            continue;
        const size_t equals = line.find('=');
        ASSERT_NE(equals, std::string::npos) << line;
        const std::string key = line.substr(0, equals);
        const std::string expansion = line.substr(equals + 1);
        EXPECT_TRUE(keys.insert(quelo::upperCased(key)).second) << "listed twice: " << line;
        EXPECT_FALSE(expansion.empty()) << line;
        EXPECT_EQ(quelo::normaliseText(expansion), expansion) << line;
        ++entries;
    }
    EXPECT_GT(entries, 50u);
    EXPECT_LE(entries, quelo::MaxAbbreviations);
}

} // namespace
