// Text normalisation: character names, number words, the abbreviation table
// and the rewriting of a text into words and pause marks.
#include "tradutor/quelo/normalise.h"

#include "platform/cp1252_literal.h"
#include "tradutor/number_words.h"
#include "tradutor/quelo/data_file.h"
#include "tradutor/quelo/letters.h"
#include "tradutor/quelo/readings.h"
#include "tradutor/quelo/rules.h"

#include <array>
#include <optional>
#include <vector>

using namespace platform::literals;

namespace quelo {
namespace {

// ---- character names ----

// Codes 32..96; the small letters a..z are named as their capitals.
constexpr std::array<const char *, 65> NamesFrom32 = {
    "espaço"_cp1252,
    "exclamação"_cp1252,
    "aspas",
    "sustenido",
    "cifrão"_cp1252,
    "porcento",
    "é comercial"_cp1252,
    "apóstrofo"_cp1252,
    "abre parênteses"_cp1252,
    "fecha parênteses"_cp1252,
    "asterisco",
    "mais",
    "vírgula"_cp1252,
    "traço"_cp1252,
    "ponto",
    "barra",
    "zéro"_cp1252,
    "um",
    "dois",
    "três"_cp1252,
    "quatro",
    "cinco",
    "seis",
    "séte"_cp1252,
    "oito",
    "nóve"_cp1252,
    "dois pontos",
    "ponto e vírgula"_cp1252,
    "menor que",
    "igual",
    "maior que",
    "interrogação"_cp1252,
    "arrôba"_cp1252,
    "a",
    "bê"_cp1252,
    " sê"_cp1252,
    " dê"_cp1252,
    "é"_cp1252,
    "éfe"_cp1252,
    "jê"_cp1252,
    "agá"_cp1252,
    "i",
    "jóta"_cp1252,
    "cá"_cp1252,
    "éle"_cp1252,
    "ême"_cp1252,
    "êne"_cp1252,
    "ó"_cp1252,
    "pê"_cp1252,
    "quê"_cp1252,
    "érre"_cp1252,
    "ésse"_cp1252,
    "tê"_cp1252,
    "u",
    "vê"_cp1252,
    "dábliu"_cp1252,
    "xis",
    "ípsilon"_cp1252,
    "zê"_cp1252,
    "abre colchete",
    "barra invertida",
    "fecha colchete",
    "circunflexo",
    "sublinhado",
    "crase",
};

// Codes 123..126.
constexpr std::array<const char *, 4> NamesFrom123 = {
    "abre chave",
    "barra vertical",
    "fecha chave",
    "til",
};

// Codes 161..191.
constexpr std::array<const char *, 31> NamesFrom161 = {
    "exclamação reversa"_cp1252,
    "centavos de dólar"_cp1252,
    "libras",
    "símbolo de moeda"_cp1252,
    "iene",
    "barra interrompida",
    "parágrafo"_cp1252,
    "trema",
    "copyright",
    "ordinal feminino",
    "Aspas esquerdas",
    "negação"_cp1252,
    "hífen"_cp1252,
    "Marca registrada",
    "mácron"_cp1252,
    "grau",
    "mais ou menos",
    "elevado ao quadrado",
    "elevado ao cubo",
    "acento agudo",
    "mi",
    "pi",
    "ponto no meio",
    "cedilha",
    "expoente um",
    "ordinal masculino",
    "aspas direitas",
    "um quarto",
    "um meio",
    "três quartos"_cp1252,
    "interrogação reversa"_cp1252,
};

// Codes 192..220; 221..223 have no name.
constexpr std::array<const char *, 29> NamesFrom192 = {
    "A grave",
    "A agudo",
    "A circunflexo",
    "A com til",
    "A com trema",
    "A bola",
    "A É"_cp1252,
    "Cê cedilha"_cp1252,
    "É grave"_cp1252,
    "É agudo"_cp1252,
    "É circunflexo"_cp1252,
    "É com trema"_cp1252,
    "I grave",
    "I agudo",
    "I circunflexo",
    "I com trema",
    "Dê cortado"_cp1252,
    "N com til",
    "Ó grave"_cp1252,
    "Ó agudo"_cp1252,
    "Ó circunflexo"_cp1252,
    "Ó com til"_cp1252,
    "Ó tremado"_cp1252,
    "vezes",
    "Ó cortado"_cp1252,
    "U grave",
    "U agudo",
    "U circunflexo",
    "U com trema",
};

constexpr uint8_t LowerCaseOffset = 32;

// ---- number words ----

constexpr auto Spoken = number_words::Spelling::Pronounced;

constexpr std::array<const char *, 10> OrdinalUnits = {
    "",       "primeiro", "segundo",       "terceiro", "quarto",
    "quinto", "sexto",    "sétimo"_cp1252, "oitavo",   "nono"};
constexpr std::array<const char *, 10> OrdinalTens = {"",
                                                      "décimo"_cp1252,
                                                      "vigésimo"_cp1252,
                                                      "trigésimo"_cp1252,
                                                      "quadragésimo"_cp1252,
                                                      "quinquagésimo"_cp1252,
                                                      "sexagésimo"_cp1252,
                                                      "septuagésimo"_cp1252,
                                                      "octagésimo"_cp1252,
                                                      "nonagésimo"_cp1252};
constexpr std::array<const char *, 10> OrdinalHundreds = {"",
                                                          "centésimo"_cp1252,
                                                          "ducentésimo"_cp1252,
                                                          "tricentésimo"_cp1252,
                                                          "quadrigentésimo"_cp1252,
                                                          "quingentésimo"_cp1252,
                                                          "seiscentésimo"_cp1252,
                                                          "septigentésimo"_cp1252,
                                                          "octigentésimo"_cp1252,
                                                          "nongentésimo"_cp1252};
constexpr char MasculineOrdinal = platform::cp1252Char(U'º');
constexpr char FeminineOrdinal = platform::cp1252Char(U'ª');
constexpr const char *OrdinalThousand = "milésimo"_cp1252;
constexpr uint64_t FirstCardinalOrdinal = 2000;

// ---- abbreviation table ----

struct Abbreviation {
    std::string key; // upper case
    std::string expansion;
};

struct State {
    std::vector<Abbreviation> abbreviations; // at most MaxAbbreviations, in file order
};

State state;

// ---- character classes ----

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// W, X and Y count as consonants; so do Ç and Ñ.
bool isConsonant(char c) {
    const char upper = upperLetter(c);
    if (upper >= 'A' && upper <= 'Z')
        return upper != 'A' && upper != 'E' && upper != 'I' && upper != 'O' && upper != 'U';
    return upper == platform::cp1252Char(U'Ç') || upper == platform::cp1252Char(U'Ñ');
}

bool isKeptMark(char c) {
    switch (c) {
    case ' ':
    case '!':
    case '(':
    case ')':
    case ',':
    case '.':
    case ':':
    case ';':
    case '?':
        return true;
    default:
        return false;
    }
}

bool isLineControl(char c) {
    return c == '\t' || c == '\n' || c == '\r';
}

// Quotation marks are not read: " ' « » and the curly ones.
bool isQuotationMark(char c) {
    switch (c) {
    case '"':
    case '\'':
    case platform::cp1252Char(U'«'):
    case platform::cp1252Char(U'»'):
    case platform::cp1252Char(U'‘'):
    case platform::cp1252Char(U'’'):
    case platform::cp1252Char(U'“'):
    case platform::cp1252Char(U'”'):
        return true;
    default:
        return false;
    }
}

// ---- number words ----

std::string feminine(std::string word) {
    if (!word.empty())
        word.back() = 'a';
    return word;
}

// ---- the rewriting ----

class Normaliser {
public:
    explicit Normaliser(const std::string &text) : text_(text) {}

    std::string run() {
        while (pos_ < text_.size())
            step();
        return out_;
    }

private:
    char at(size_t i) const { return i < text_.size() ? text_[i] : '\0'; }
    bool has(size_t i) const { return i < text_.size(); }
    bool digitAt(size_t i) const { return has(i) && isDigit(text_[i]); }

    void step() {
        const char c = text_[pos_];
        if (c != ' ' && !isLetter(c))
            previousWord_.clear();
        if (const auto reading = readingAtCursor()) {
            out_ += reading->words + ' ';
            pos_ = reading->end;
        } else if (pos_ > 0 && text_[pos_ - 1] == ' ' && c == '-' && at(pos_ + 1) == ' ') {
            out_ += ',';
            ++pos_;
        } else if (c == '-' && digitAt(pos_ + 1)) {
            out_ += "menos ";
            ++pos_;
        } else if (isDigit(c)) {
            numberWithDecimals();
        } else if (isLetter(c)) {
            word();
        } else if (c == '.' && at(pos_ + 1) == '.' && at(pos_ + 2) == '.') {
            out_ += "... ";
            pos_ += 3;
        } else if (c == '.' && (isLetter(at(pos_ + 1)) || digitAt(pos_ + 1))) {
            out_ += " ponto ";
            ++pos_;
        } else if (isKeptMark(c)) {
            out_ += c;
            ++pos_;
        } else if (isLineControl(c) || isQuotationMark(c)) {
            out_ += ' ';
            ++pos_;
        } else {
            out_ += ' ' + charName(static_cast<uint8_t>(c)) + ' ';
            ++pos_;
        }
    }

    // Money, a time of day or the number sign, where one starts.
    std::optional<Reading> readingAtCursor() const {
        if (auto money = readMoney(text_, pos_))
            return money;
        if (pos_ >= plainRunEnd_ && isDigit(text_[pos_]))
            if (auto time = readTime(text_, pos_))
                return time;
        return readNumberSign(text_, pos_);
    }

    // A number, then every ", digits" or ". digits" part that follows it,
    // then "por cento" for a percent sign right after it.
    void numberWithDecimals() {
        number();
        out_ += ' ';
        while ((at(pos_) == ',' || at(pos_) == '.') && digitAt(pos_ + 1)) {
            out_ += at(pos_) == ',' ? "vírgula "_cp1252 : "ponto ";
            ++pos_;
            number();
            out_ += ' ';
        }
        if (at(pos_) == '%') {
            out_ += "por cento ";
            ++pos_;
        }
    }

    // A run of digits and dashes holding a dash is read digit by digit.
    bool dashedNumber() {
        if (pos_ < plainRunEnd_)
            return false;
        size_t end = pos_;
        bool dashed = false;
        while (has(end) && (isDigit(text_[end]) || text_[end] == '-')) {
            dashed = dashed || text_[end] == '-';
            ++end;
        }
        if (!dashed) {
            plainRunEnd_ = end;
            return false;
        }
        for (; pos_ < end; ++pos_)
            out_ += text_[pos_] == '-' ? std::string(" traço"_cp1252)
                                       : " " + number_words::digitWord(text_[pos_] - '0', Spoken);
        return true;
    }

    // Three digits and no fourth after a full stop make it a thousands
    // separator, when the number has room for them.
    bool thousandsSeparatorAt(size_t i, size_t digits) const {
        return at(i) == '.' && digitAt(i + 1) && digitAt(i + 2) && digitAt(i + 3) &&
               !digitAt(i + 4) && digits + 3 <= MaxNumberDigits;
    }

    void number() {
        if (dashedNumber())
            return;
        std::string zeros;
        while (at(pos_) == '0' && digitAt(pos_ + 1)) {
            zeros += "zero ";
            ++pos_;
        }
        uint64_t value = 0;
        size_t digits = 0;
        while (digitAt(pos_) && digits < MaxNumberDigits) {
            value = value * 10 + static_cast<uint64_t>(text_[pos_] - '0');
            ++digits;
            ++pos_;
            if (thousandsSeparatorAt(pos_, digits))
                ++pos_;
        }
        // "1.º", "2.ª": a full stop before the ordinal sign.
        if (at(pos_) == '.' &&
            (at(pos_ + 1) == MasculineOrdinal || at(pos_ + 1) == FeminineOrdinal))
            ++pos_;
        const char next = at(pos_);
        const char after = at(pos_ + 1);
        if (next == MasculineOrdinal || next == FeminineOrdinal) {
            out_ +=
                ordinalWords(value, next == FeminineOrdinal ? Gender::Feminine : Gender::Masculine);
            ++pos_;
        } else if ((next == 'o' || next == 'a') && after == '.') {
            out_ += ordinalWords(value, next == 'a' ? Gender::Feminine : Gender::Masculine);
            pos_ += 2;
        } else if ((next == 'o' || next == 'a') && after == 's' && at(pos_ + 2) == '.') {
            const std::string words =
                ordinalWords(value, next == 'a' ? Gender::Feminine : Gender::Masculine);
            // Cardinals read for large ordinals end in a blank and take no plural.
            out_ += words.back() == ' ' ? words : words + 's';
            pos_ += 3;
        } else {
            out_ += zeros + cardinalWords(value);
        }
    }

    // A full stop that ends an abbreviation: a blank or the end of the text
    // follows it.
    bool abbreviationStopAt(size_t i) const {
        return at(i) == '.' && (!has(i + 1) || text_[i + 1] == ' ');
    }

    void word() {
        std::string written;
        bool consonantsOnly = true;
        while (has(pos_) && isLetter(text_[pos_])) {
            consonantsOnly = consonantsOnly && isConsonant(text_[pos_]);
            written += text_[pos_++];
            if (at(pos_) == '-') {
                written += text_[pos_++];
            } else if (at(pos_) == '\'' && isLetter(at(pos_ + 1))) {
                // d'água is said as one word, dágua.
                ++pos_;
            }
        }
        const std::string expansion = at(pos_) == '.' ? lookupAbbreviation(written) : std::string();
        const std::string roman = romanReading(written, previousWord_);
        previousWord_ = written;
        if (!roman.empty()) {
            out_ += roman;
        } else if (const std::string respelled = hyphenatedRespelling(written);
                   !respelled.empty()) {
            out_ += respelled;
        } else if (!expansion.empty() && abbreviationStopAt(pos_)) {
            out_ += expansion;
            ++pos_;
        } else if (consonantsOnly && expansion.empty()) {
            for (const char c : written)
                out_ += charName(static_cast<uint8_t>(c));
        } else {
            out_ += written;
        }
    }

    // The tokens of a text hold letters only, so a respelling of a word
    // written with a hyphen (e-mail, Wi-Fi) is looked up here.
    static std::string hyphenatedRespelling(const std::string &written) {
        if (written.find('-') == std::string::npos)
            return "";
        const std::string key = upperCased(written);
        const std::string respelled = lookupException(key);
        return respelled == key ? "" : respelled;
    }

    const std::string &text_;
    size_t pos_ = 0;
    // End of the last run of digits found to hold no dash, so that a long run
    // read as several numbers is scanned once.
    size_t plainRunEnd_ = 0;
    // The word read last, when only blanks followed it: a Roman numeral
    // after a name or a title word is read as a number.
    std::string previousWord_;
    std::string out_;
};

} // namespace

std::string charName(uint8_t code) {
    if (code >= 'a' && code <= 'z')
        code = static_cast<uint8_t>(code - LowerCaseOffset);
    if (code >= 32 && code <= 96)
        return NamesFrom32[code - 32];
    if (code >= 123 && code <= 126)
        return NamesFrom123[code - 123];
    if (code >= 161 && code <= 191)
        return NamesFrom161[code - 161];
    if (code >= 224)
        code = static_cast<uint8_t>(code - LowerCaseOffset);
    if (code >= 192 && code <= 220)
        return NamesFrom192[code - 192];
    return "";
}

std::string cardinalWords(uint64_t value) {
    return number_words::cardinalWords(value, Spoken);
}

std::string ordinalWords(uint64_t value, Gender gender) {
    if (value >= FirstCardinalOrdinal)
        return cardinalWords(value);
    if (value == 0)
        return "zero";
    const std::array<std::string, 4> parts = {
        value >= 1000 ? OrdinalThousand : "",
        OrdinalHundreds[static_cast<size_t>(value / 100 % 10)],
        OrdinalTens[static_cast<size_t>(value / 10 % 10)],
        OrdinalUnits[static_cast<size_t>(value % 10)],
    };
    std::string words;
    for (const std::string &part : parts) {
        if (part.empty())
            continue;
        if (!words.empty())
            words += ' ';
        words += gender == Gender::Feminine ? feminine(part) : part;
    }
    return words;
}

bool loadAbbreviations(const std::string &path) {
    return loadAbbreviations(DataText::file(path));
}

bool loadAbbreviations(const DataText &file) {
    state.abbreviations.clear();
    return file.forEachLine(MaxAbbreviationLineLength, [&](const std::string &line) {
        const std::string entry = trimmed(line);
        if (entry.empty() || entry[0] == ';')
            return;
        if (state.abbreviations.size() == MaxAbbreviations) {
            file.report("more than " + std::to_string(MaxAbbreviations) + " entries: ignored");
            return;
        }
        const size_t equals = entry.find('=');
        if (equals == std::string::npos) {
            file.report("no \"=\": an entry without a word, never used");
            state.abbreviations.push_back({"", entry});
        } else {
            state.abbreviations.push_back(
                {upperCased(trimmed(entry.substr(0, equals))), trimmed(entry.substr(equals + 1))});
        }
    });
}

std::string lookupAbbreviation(const std::string &word) {
    const std::string key = upperCased(word);
    for (const Abbreviation &entry : state.abbreviations)
        if (entry.key == key)
            return entry.expansion;
    return "";
}

std::string normaliseText(const std::string &text) {
    if (text.size() == 1)
        return Normaliser(charName(static_cast<uint8_t>(text[0]))).run();
    return Normaliser(text).run();
}

} // namespace quelo
