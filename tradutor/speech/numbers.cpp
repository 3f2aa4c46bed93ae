// Numbers in Portuguese words, and the joining of the words' recordings.
#include "tradutor/speech/numbers.h"

#include "platform/cp1252_literal.h"
#include "platform/file.h"
#include "tradutor/diphone/native_voice.h"
#include "tradutor/number_words.h"
#include "tradutor/speech/speech.h"
#include "tradutor/speech/wave_player.h"

#include <algorithm>
#include <array>

namespace numbers {
namespace {

// The header is skipped unread: pieces are 8-bit mono 11025 Hz.
constexpr size_t PieceHeaderSize = wave::HeaderSize;
constexpr size_t PieceNameLength = 8;

struct State {
    std::array<uint8_t, wave::HeaderSize + ChunkCapacity> image{}; // header + joined samples
    uint32_t gathered = 0;
};

State state;

constexpr auto Names = number_words::Spelling::RecordingNames;

// The value of `count` decimal digits from `from`.
unsigned digitsValue(const std::string &digits, size_t from, size_t count) {
    unsigned value = 0;
    for (size_t i = from; i < from + count; ++i)
        value = value * 10 + static_cast<unsigned>(digits[i] - '0');
    return value;
}

std::string pieceName(std::string word) {
    for (char &c : word) {
        if (c == platform::cp1252Char(U'ã'))
            c = 'a';
        else if (c == platform::cp1252Char(U'õ'))
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
    return number_words::hundredsWords(digitsValue(digits, 0, 3), Names);
}

std::string groupToWords(const std::string &digits, int group) {
    return number_words::groupWords(digitsValue(digits, static_cast<size_t>(group) * 3, 3), group,
                                    Names);
}

std::string numberToWords(uint32_t n) {
    return number_words::cardinalWords(n, Names);
}

std::string feminineWords(const std::string &words) {
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        const size_t end = words.find(' ', start);
        parts.push_back(words.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    // From the end: a word counts what the nearest scale word after it
    // names, or, with none, the feminine thing counted.
    bool masculine = false;
    for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
        if (part->starts_with("milh") || part->starts_with("bilh") || part->starts_with("trilh"))
            masculine = true;
        else if (*part == "mil")
            masculine = false;
        else if (!masculine && *part == "um")
            *part = "uma";
        else if (!masculine && *part == "dois")
            *part = "duas";
    }
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i == 0 ? "" : " ") + parts[i];
    return out;
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
