// Numbers in Portuguese words, and the joining of the words' recordings.
#include "tradutor/speech/numbers.h"

#include "platform/file.h"
#include "tradutor/diphone/native_voice.h"
#include "tradutor/speech/speech.h"
#include "tradutor/speech/wave_player.h"

#include <algorithm>
#include <array>

namespace numbers {
namespace {

// The header is skipped unread: pieces are 8-bit mono 11025 Hz.
constexpr size_t PieceHeaderSize = wave::HeaderSize;
constexpr size_t PieceNameLength = 8;
constexpr size_t DigitCount = 15;
constexpr int GroupCount = 5;
constexpr int UnitsGroup = 4;

// Windows-1252 words, indexed by digit.
constexpr std::array<const char *, 10> UnitWords = {"",      "um",   "dois", "tres", "quatro",
                                                    "cinco", "seis", "sete", "oito", "nove"};
constexpr std::array<const char *, 10> TeenWords = {"dez",      "onze",    "doze",      "treze",
                                                    "quatorze", "quinze",  "dezesseis", "dezessete",
                                                    "dezoito",  "dezenove"};
constexpr std::array<const char *, 10> TenWords = {"",         "",          "vinte",    "trinta",
                                                   "quarenta", "cinquenta", "sessenta", "setenta",
                                                   "oitenta",  "noventa"};
constexpr std::array<const char *, 10> HundredWords = {
    "",           "cento",      "duzentos",   "trezentos",  "quatrocentos",
    "quinhentos", "seiscentos", "setecentos", "oitocentos", "novecentos"};

struct ScaleWord {
    const char *one;  // the group is 001
    const char *many; // any other non-zero group
};

// Groups 0..3: 10^12, 10^9, 10^6, 10^3; each word ends in a blank. The
// plurals write o-tilde in octal (\365), because a hexadecimal escape would
// take the "e" after it as one more digit.
constexpr std::array<ScaleWord, 4> ScaleWords = {{
    {"trilh\xe3o ", "trilh\365es "},
    {"bilh\xe3o ", "bilh\365es "},
    {"milh\xe3o ", "milh\365es "},
    {"mil ", "mil "},
}};

struct State {
    std::array<uint8_t, wave::HeaderSize + ChunkCapacity> image{}; // header + joined samples
    uint32_t gathered = 0;
};

State state;

int digitAt(const std::string &digits, size_t i) {
    return digits[i] - '0';
}

std::string pieceName(std::string word) {
    for (char &c : word) {
        if (c == '\xe3')
            c = 'a';
        else if (c == '\xf5')
            c = 'o';
    }
    if (word == "dezessete")
        word = "dezeset"; // so that its name differs from that of dezesseis
    return ("_" + word).substr(0, PieceNameLength);
}

void playGathered() {
    if (state.gathered == 0)
        return;
    wave::buildWaveHeader(state.image.data(), state.gathered, 11025, 1, 8);
    speech::speakWaveImage(state.image.data(), wave::HeaderSize + state.gathered);
    state.gathered = 0;
}

// Appends the samples of one recording; a missing one leaves a gap, and one
// that does not fit in an empty buffer is clipped to what fits.
void appendPiece(const std::string &path) {
    platform::File file;
    if (!file.open(path))
        return;
    const int64_t size = file.size();
    if (size <= static_cast<int64_t>(PieceHeaderSize))
        return;
    uint64_t samples = static_cast<uint64_t>(size) - PieceHeaderSize;
    if (state.gathered + samples > ChunkCapacity)
        playGathered();
    samples = std::min<uint64_t>(samples, ChunkCapacity - state.gathered);
    if (!file.seek(PieceHeaderSize))
        return;
    uint8_t *end = state.image.data() + wave::HeaderSize + state.gathered;
    state.gathered += static_cast<uint32_t>(file.read(end, static_cast<size_t>(samples)));
}

} // namespace

std::string hundredsToWords(const std::string &digits) {
    if (digits == "000")
        return "";
    if (digits == "100")
        return "cem";
    const int hundreds = digitAt(digits, 0), tens = digitAt(digits, 1), units = digitAt(digits, 2);
    std::string words;
    if (hundreds != 0) {
        words = HundredWords[hundreds];
        if (tens == 0 && units == 0)
            return words;
        words += " e ";
    }
    if (tens == 1)
        return words + TeenWords[units];
    if (tens != 0) {
        words += TenWords[tens];
        if (units == 0)
            return words;
        words += " e ";
    }
    if (units > 0)
        words += UnitWords[units];
    return words;
}

std::string groupToWords(const std::string &digits, int group) {
    const std::string three = digits.substr(static_cast<size_t>(group) * 3, 3);
    std::string words = hundredsToWords(three);
    if (group < UnitsGroup && three != "000") {
        const ScaleWord &scale = ScaleWords[static_cast<size_t>(group)];
        words += " ";
        words += three == "001" ? scale.one : scale.many;
    }
    return words;
}

std::string numberToWords(uint32_t n) {
    if (n == 0)
        return "zero";
    std::string digits = std::to_string(n);
    digits.insert(0, DigitCount - digits.size(), '0');
    std::array<std::string, GroupCount> groups;
    int last = 0;
    for (int g = 0; g < GroupCount; ++g) {
        groups[g] = groupToWords(digits, g);
        if (!groups[g].empty())
            last = g;
    }
    // "e " stands before the last group when an earlier group was spoken.
    std::string words, joiner;
    for (int g = 0; g <= last; ++g) {
        words += g == last ? joiner + groups[g] : groups[g];
        if (!groups[g].empty())
            joiner = "e ";
    }
    // One thousand is "mil", not "um mil".
    if (words.starts_with("um mil") && !words.starts_with("um milh"))
        words.erase(0, 3);
    return words;
}

std::vector<std::string> pieceNames(const std::string &words) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start < words.size()) {
        const size_t end = std::min(words.find(' ', start), words.size());
        if (end > start)
            names.push_back(pieceName(words.substr(start, end - start)));
        start = end + 1;
    }
    return names;
}

void speakNumberWords(const std::string &words) {
    state.gathered = 0;
    const std::string directory = diphone::lettersDirectory();
    for (const std::string &name : pieceNames(words))
        appendPiece(directory + name + ".wav");
    playGathered();
}

} // namespace numbers
