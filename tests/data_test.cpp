// The generated installation data: every recording the game and the speech
// layer ask for is there, in the format its player expects, audible and
// tidy; the word list and the default configuration are valid.
#include "console/bmp_decoder.h"
#include "game/word_list.h"
#include "platform/cp1252.h"
#include "tools/loudness/loudness.h"
#include "tools/wavconv/wav_dsp.h"
#include "tools/wavconv/wav_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = ZEB_TEST_DATA_ROOT;
const fs::path kSoundDir = kRoot / "talvek" / "som" / "quibo2";
const fs::path kLettersDir = kRoot / "talvek" / "som" / "letras";

constexpr std::array kMessageKeys = {
    "GDINIC",   "GDARNENC", "GDMAXPAL", "GDERRPAL", "GDPRGCAN", "GDCABECA", "GDPESCOC", "GDTRONCO",
    "GDBRADIR", "GDBRAESQ", "GDPERDIR", "GDPERESQ", "GDPARABE", "GDERA",    "GDQUELET", "GDREPETE",
    "GDDESIS",  "GDSOALFA", "GDLETREP", "GDENFORC", "GDDENOVO", "GDTCHAU"};

constexpr std::array kNumberPieces = {
    "_um",      "_dois",    "_tres",    "_quatro",  "_cinco",   "_seis",    "_sete",    "_oito",
    "_nove",    "_dez",     "_onze",    "_doze",    "_treze",   "_quatorz", "_quinze",  "_dezesse",
    "_dezeset", "_dezoito", "_dezenov", "_vinte",   "_trinta",  "_quarent", "_cinquen", "_sessent",
    "_setenta", "_oitenta", "_noventa", "_cem",     "_cento",   "_duzento", "_trezent", "_quatroc",
    "_quinhen", "_seiscen", "_setecen", "_oitocen", "_novecen", "_mil",     "_milhao",  "_milhoes",
    "_bilhao",  "_bilhoes", "_trilhao", "_trilhoe", "_e",       "_zero",    "_MENOS"};

// The number reader joins pieces into a buffer of this many samples; each
// piece is kept to half of it so that a whole group of words fits.
constexpr uint32_t kNumberBufferBytes = 30000;

// Every character a player can type or hear spelled.
std::vector<int> letterCodes() {
    std::vector<int> codes = {8, 9, 13, 27};
    for (int code = 32; code <= 126; ++code) {
        codes.push_back(code);
    }
    for (int code = 160; code <= 255; ++code) {
        codes.push_back(code);
    }
    return codes;
}

std::vector<uint8_t> readBytes(const fs::path &path) {
    std::vector<uint8_t> bytes;
    std::string error;
    wavkit::readFileBytes(path.string(), bytes, error);
    return bytes;
}

uint32_t le32(const std::vector<uint8_t> &bytes, size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

uint16_t le16(const std::vector<uint8_t> &bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

struct Recording {
    uint32_t dataBytes = 0;
    wavkit::Sound sound;
};

// Checks the canonical 44-byte mono PCM layout byte by byte (the number
// reader skips the header unread, so nothing else may come before the data).
testing::AssertionResult readCanonical(const fs::path &path, uint32_t rate, uint16_t bits,
                                       Recording &out) {
    const auto bytes = readBytes(path);
    if (bytes.size() <= wav::HeaderSize) {
        return testing::AssertionFailure() << path << " is missing or empty";
    }
    const uint32_t dataBytes = le32(bytes, 40);
    const bool layout = std::memcmp(bytes.data(), "RIFF", 4) == 0 &&
                        std::memcmp(bytes.data() + 8, "WAVEfmt ", 8) == 0 &&
                        std::memcmp(bytes.data() + 36, "data", 4) == 0 && le32(bytes, 16) == 16 &&
                        le32(bytes, 4) == dataBytes + 36 &&
                        bytes.size() == wav::HeaderSize + dataBytes;
    if (!layout) {
        return testing::AssertionFailure() << path << " has no canonical 44-byte header";
    }
    const uint16_t blockAlign = bits / 8;
    if (le16(bytes, 20) != 1 || le16(bytes, 22) != 1 || le32(bytes, 24) != rate ||
        le32(bytes, 28) != rate * blockAlign || le16(bytes, 32) != blockAlign ||
        le16(bytes, 34) != bits) {
        return testing::AssertionFailure()
               << path << " is not mono " << bits << "-bit PCM at " << rate << " Hz";
    }
    std::string error;
    auto sound = wavkit::decodeWav(bytes, error);
    if (!sound) {
        return testing::AssertionFailure() << path << ": " << error;
    }
    out = {dataBytes, std::move(*sound)};
    return testing::AssertionSuccess();
}

double seconds(const wavkit::Sound &sound) {
    return static_cast<double>(sound.samples.size()) / sound.rate;
}

struct LevelRange {
    double low, high; // LUFS
};
constexpr LevelRange kSpeech{loudness::kSpeechLufs - 1.5, loudness::kSpeechLufs + 1.5};
constexpr LevelRange kEffect{loudness::kEffectBandLow, loudness::kEffectBandHigh};

// Heard as a clean recording: at its level, under the true-peak ceiling,
// never clipped, starting and ending promptly, without a long hole in the
// middle.
testing::AssertionResult soundsRight(const fs::path &path, const wavkit::Sound &sound,
                                     LevelRange range = kSpeech) {
    const std::span<const float> samples = sound.samples;
    const float peak = wavkit::peakLevel(samples);
    const float audible = peak * wavkit::dbToLinear(-40.0f);
    const size_t edge = sound.rate * 60 / 1000;
    size_t clipped = 0;
    for (float sample : samples) {
        clipped += std::abs(sample) >= 0.999f ? 1 : 0;
    }
    const auto leading = std::find_if(samples.begin(), samples.end(),
                                      [audible](float s) { return std::abs(s) >= audible; });
    const auto trailing = std::find_if(samples.rbegin(), samples.rend(),
                                       [audible](float s) { return std::abs(s) >= audible; });
    testing::AssertionResult failure = testing::AssertionFailure() << path << ": ";
    const auto level = loudness::loudnessOf(samples, sound.rate);
    if (!level || *level < range.low || *level > range.high) {
        return failure << "loudness " << level.value_or(-999.0) << " LUFS is outside " << range.low
                       << ".." << range.high;
    }
    if (const double truePeak = loudness::truePeakDb(samples, sound.rate);
        truePeak > loudness::kTruePeakCeilingDb) {
        return failure << "true peak " << truePeak << " dBTP passes the ceiling";
    }
    if (clipped > 0) {
        return failure << clipped << " clipped samples";
    }
    if (leading - samples.begin() > static_cast<std::ptrdiff_t>(edge) ||
        trailing - samples.rbegin() > static_cast<std::ptrdiff_t>(edge)) {
        return failure << "silence at the start or the end";
    }
    if (wavkit::longestQuietRun(samples, audible) > sound.rate) {
        return failure << "a silence of more than a second";
    }
    return testing::AssertionSuccess();
}

TEST(DataMessages, EveryMessageKeyHasAGoodRecording) {
    for (const char *key : kMessageKeys) {
        const auto path = kSoundDir / (std::string(key) + ".wav");
        Recording recording;
        ASSERT_TRUE(readCanonical(path, 22050, 16, recording));
        EXPECT_TRUE(soundsRight(path, recording.sound));
        EXPECT_GT(seconds(recording.sound), 0.3) << path;
        EXPECT_LT(seconds(recording.sound), 5.0) << path;
    }
}

TEST(DataMessages, SoundEffectsHaveTheirLengths) {
    const struct {
        const char *key;
        double shortest, longest;
    } effects[] = {{"GDPLIM", 0.15, 0.25}, {"GDTCHEN", 0.3, 0.5}, {"GDREQIEN", 1.5, 3.0}};
    for (const auto &effect : effects) {
        const auto path = kSoundDir / (std::string(effect.key) + ".wav");
        Recording recording;
        ASSERT_TRUE(readCanonical(path, 22050, 16, recording));
        EXPECT_TRUE(soundsRight(path, recording.sound, kEffect));
        EXPECT_GE(seconds(recording.sound), effect.shortest) << path;
        EXPECT_LE(seconds(recording.sound), effect.longest) << path;
    }
}

TEST(DataLetters, EveryCharacterHasAnEightBitRecording) {
    for (int code : letterCodes()) {
        const auto path = kLettersDir / ("_" + std::to_string(code) + ".wav");
        Recording recording;
        ASSERT_TRUE(readCanonical(path, 11025, 8, recording));
        EXPECT_TRUE(soundsRight(path, recording.sound));
        EXPECT_LT(seconds(recording.sound), 2.5) << path;
    }
}

TEST(DataLetters, LowerCaseLettersSoundLikeCapitals) {
    for (int code = 'A'; code <= 'Z'; ++code) {
        const auto upper = readBytes(kLettersDir / ("_" + std::to_string(code) + ".wav"));
        const auto lower = readBytes(kLettersDir / ("_" + std::to_string(code + 32) + ".wav"));
        EXPECT_FALSE(upper.empty());
        EXPECT_EQ(upper, lower) << static_cast<char>(code);
    }
}

TEST(DataLetters, NumberPiecesFitTheNumberReader) {
    for (const char *piece : kNumberPieces) {
        const auto path = kLettersDir / (std::string(piece) + ".wav");
        Recording recording;
        ASSERT_TRUE(readCanonical(path, 11025, 8, recording));
        EXPECT_TRUE(soundsRight(path, recording.sound));
        EXPECT_LT(recording.dataBytes, kNumberBufferBytes / 2) << path;
    }
}

std::vector<std::string> crlfLines(const std::vector<uint8_t> &bytes, bool &onlyCrLf) {
    std::vector<std::string> lines;
    std::string line;
    onlyCrLf = true;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            onlyCrLf = onlyCrLf && i > 0 && bytes[i - 1] == '\r';
            lines.push_back(line);
            line.clear();
        } else if (bytes[i] != '\r') {
            line.push_back(static_cast<char>(bytes[i]));
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

TEST(DataWordList, HoldsEnoughDistinctPlainWords) {
    const auto bytes = readBytes(kSoundDir / "galdrino.pal");
    ASSERT_FALSE(bytes.empty());
    bool onlyCrLf = false;
    const auto words = crlfLines(bytes, onlyCrLf);
    EXPECT_TRUE(onlyCrLf);
    EXPECT_GE(words.size(), 300u);
    EXPECT_LE(words.size(), 500u);
    std::set<std::string> seen;
    for (const auto &word : words) {
        EXPECT_GE(word.size(), 4u) << word;
        EXPECT_LE(word.size(), 12u) << word;
        EXPECT_EQ(std::string::npos, word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"))
            << "'" << word << "'";
        EXPECT_TRUE(seen.insert(word).second) << word << " is listed twice";
    }
}

TEST(DataConfiguration, DefaultsPointIntoTheTree) {
    const auto bytes = readBytes(kRoot / "windows" / "ZEBUNA.INI");
    ASSERT_FALSE(bytes.empty());
    bool onlyCrLf = false;
    const auto lines = crlfLines(bytes, onlyCrLf);
    EXPECT_TRUE(onlyCrLf);

    std::set<std::string> sections;
    for (const auto &line : lines) {
        if (line.starts_with("[")) {
            sections.insert(line);
        }
        const auto equals = line.find('=');
        if (line.starts_with(";") || equals == std::string::npos) {
            continue;
        }
        const std::string value = line.substr(equals + 1);
        if (!line.starts_with("DIR") && !line.starts_with("PGMZEBUNA")) {
            continue;
        }
        // c:\ is the data root; the directory must exist there.
        ASSERT_TRUE(value.starts_with("c:\\")) << line;
        std::string relative = value.substr(3);
        std::replace(relative.begin(), relative.end(), '\\', '/');
        EXPECT_TRUE(fs::is_directory(kRoot / relative)) << line;
    }
    for (const char *section : {"[GALDRINO]", "[TRADUTOR]", "[SINTETIZADOR]", "[VIDEO]",
                                "[BRAILLE]", "[SERVFALA]", "[ZEBUNA]"}) {
        EXPECT_EQ(1u, sections.count(section)) << section;
    }
}

// On this host the configuration people edit is UTF-8, accents and all;
// the Windows distribution ships the Windows-1252 source.
TEST(DataConfiguration, IsUtf8Text) {
    const auto bytes = readBytes(kRoot / "windows" / "ZEBUNA.INI");
    platform::Utf8Check check;
    size_t accented = 0;
    for (const uint8_t byte : bytes) {
        check.feed(byte);
        accented += byte >= 0x80;
    }
    EXPECT_TRUE(check.valid());
    EXPECT_GT(accented, 0u) << "the Portuguese comments lost their accents";
}

// The example lists for teachers load, each in its format.
TEST(DataWordLists, ExamplesLoad) {
    game::WordTable table;
    ASSERT_EQ(game::readWordList((kSoundDir / "animais.pal").string(), table,
                                 game::WordListFormat::Accented),
              game::WordListResult::Loaded);
    EXPECT_GE(table.count, 30);
    EXPECT_GE(table.categoryNames.size(), 2u);
    const auto words =
        std::vector<std::string>(table.words.begin(), table.words.begin() + table.count);
    EXPECT_NE(std::find(words.begin(), words.end(),
                        "ON\xc7"
                        "A"),
              words.end());
    ASSERT_EQ(game::readWordList((kSoundDir / "escola.pal").string(), table),
              game::WordListResult::Loaded);
    EXPECT_GE(table.count, 20);
    EXPECT_TRUE(table.categoryNames.empty());
}

TEST(DataTree, HasTheDiphoneDirectory) {
    EXPECT_TRUE(fs::is_directory(kRoot / "talvek" / "som" / "difones"));
}

} // namespace

namespace {

TEST(DataTree, TitlePictureIsA24BitBmpThatDecodes) {
    const fs::path picture = kRoot / "talvek/som/quibo2/galdrino.bmp";
    console::Picture decoded;
    ASSERT_EQ(console::loadBmpFile(picture.string(), decoded), console::BmpResult::Decoded);
    EXPECT_GT(decoded.width, 100);
    EXPECT_GT(decoded.height, 100);
    // More than the background: the gallows and the name are drawn.
    std::set<uint32_t> colours(decoded.pixels.begin(), decoded.pixels.end());
    EXPECT_GE(colours.size(), 3u);
}

} // namespace
