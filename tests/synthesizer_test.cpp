// The diphone synthesizer on a small voice written by the tests: units of
// distinct lengths and sample values, so that what reaches the wave device
// shows which unit was played, for how long, and where the silences fell.
#include "platform/headless/headless.h"
#include "tests/test_support.h"
#include "tradutor/diphone/synthesizer.h"
#include "tradutor/speech/speech.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using test_support::TempDir;
using namespace std::string_literals;
namespace synth = diphone::synth;

constexpr int NoiseSample = -1; // any value of the noise generator, 88..167
constexpr uint8_t Silence = 128;
constexpr size_t MaxChunk = 63955;

struct VoiceUnit {
    const char *name;
    uint16_t length;
    uint8_t value; // outside the noise range, so that noise stands apart
};

const VoiceUnit Units[] = {
    {"$A", 300, 10},        {"$K", 200, 20},       {"$KA", 1000, 30},    {"$S", 250, 40},
    {"$KW", 700, 50},       {"$KACIRC", 900, 60},  {"$NN", 500, 70},     {"$KI", 800, 80},
    {"$P", 150, 170},       {"$RA", 600, 180},     {"$RRA", 650, 190},   {"$NHA", 610, 195},
    {"$DJA", 620, 200},     {"$KSA", 630, 205},    {"$TCHA", 640, 210},  {"$AW", 400, 215},
    {"$AWTIL", 420, 220},   {"$AWCIRC", 440, 225}, {"$ECIRC", 450, 230}, {"$KU", 300, 235},
    {"$ABCDEFI", 350, 240}, {"$I", 320, 245},      {"$RR", 330, 250},
};

uint8_t valueOf(const std::string &name) {
    for (const auto &unit : Units)
        if (name == unit.name)
            return unit.value;
    throw std::invalid_argument("no unit " + name);
}

// Letter recordings: character code, samples, value.
struct Letter {
    int code;
    size_t length;
    uint8_t value;
};
const Letter Letters[] = {{44, 120, 1}, {84, 130, 2}, {115, 140, 3}, {65, 110, 4}};

std::string record(const std::string &name, uint16_t length, int32_t offset) {
    std::string out(1, static_cast<char>(name.size()));
    std::string padded = name;
    padded.resize(8, ' ');
    out += padded;
    out += static_cast<char>(length & 0xFF);
    out += static_cast<char>(length >> 8);
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((static_cast<uint32_t>(offset) >> (8 * i)) & 0xFF);
    return out;
}

// A voice of the given units, the index sorted by name.
void writeVoice(const std::string &stem, std::vector<VoiceUnit> units) {
    std::sort(units.begin(), units.end(),
              [](const auto &a, const auto &b) { return std::string(a.name) < b.name; });
    std::string index, samples;
    for (const auto &unit : units) {
        index += record(unit.name, unit.length, static_cast<int32_t>(samples.size()));
        samples.append(unit.length, static_cast<char>(unit.value));
    }
    test_support::writeFile(stem + ".IND", index);
    test_support::writeFile(stem + ".DIF", samples);
}

// Expected output: runs of one value, or noise.
struct Stretch {
    int value;
    size_t count;
};
Stretch unit(const std::string &name, size_t count) {
    return {valueOf(name), count};
}
Stretch letter(int code) {
    for (const auto &l : Letters)
        if (l.code == code)
            return {l.value, l.length};
    throw std::invalid_argument("no letter");
}
Stretch silence(size_t count) {
    return {Silence, count};
}
Stretch noise() {
    return {NoiseSample, 300};
}

std::string describe(const std::vector<int> &samples) {
    std::ostringstream out;
    for (size_t i = 0; i < samples.size();) {
        size_t j = i;
        while (j < samples.size() && samples[j] == samples[i])
            ++j;
        out << (samples[i] == NoiseSample ? std::string("noise") : std::to_string(samples[i]))
            << "*" << j - i << " ";
        i = j;
    }
    return out.str();
}

// The samples one chunk puts on the device: the wave player ends every
// block with a silent byte and pads blocks shorter than 256 bytes.
std::vector<int> asPlayed(const std::vector<Stretch> &runs) {
    std::vector<int> samples;
    for (const auto &run : runs)
        samples.insert(samples.end(), run.count, run.value);
    if (samples.empty())
        return samples;
    samples.back() = Silence;
    if (samples.size() < 256)
        samples.resize(256, Silence);
    return samples;
}

::testing::AssertionResult samePlayed(const std::vector<uint8_t> &played,
                                      const std::vector<Stretch> &runs) {
    const std::vector<int> expected = asPlayed(runs);
    std::vector<int> actual(played.begin(), played.end());
    bool same = actual.size() == expected.size();
    for (size_t i = 0; same && i < actual.size(); ++i)
        same = expected[i] == NoiseSample ? actual[i] >= 88 && actual[i] <= 167
                                          : actual[i] == expected[i];
    if (same)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "\n  played:   " << describe(actual) << "\n  expected: " << describe(expected);
}

class SynthTest : public ::testing::Test {
protected:
    SynthTest() { writeTree(); }
    ~SynthTest() override { synth::closeVoice(); }

    // The voice TESTE, its rule and exception files and the letter recordings.
    void writeTree() {
        writeVoice(diphones() + "TESTE", {std::begin(Units), std::end(Units)});
        test_support::writeFile(diphones() + "regras.rgr", "(A)=a\r\n");
        test_support::writeFile(diphones() + "portug.exc", "casa=kAza\r\n");
        for (const auto &l : Letters)
            test_support::writeFile(
                letters() + "_" + std::to_string(l.code) + ".wav",
                test_support::wavImage(std::vector<uint8_t>(l.length, l.value)));
        test_support::writeFile(dir.file("ZEBUNA.INI"), "[TRADUTOR]\r\nSAPI=N\r\n");
    }

    std::string diphones() const { return dir.file("talvek/som/difones/"); }
    std::string letters() const { return dir.file("talvek/som/letras/"); }

    // A fresh machine and the voice `name` opened with the given timing.
    int32_t open(int32_t cut, int32_t keep, int32_t gap, const std::string &name = "TESTE",
                 const std::string &keys = "") {
        synth::closeVoice();
        test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"), keys);
        headless::setAudioCapture(true);
        synth::setVoiceName(name);
        synth::setSynthTiming(cut, keep, gap);
        return synth::openVoice();
    }

    // Speaks on the open voice and returns the blocks the device received.
    static std::vector<std::vector<uint8_t>> speak(const std::string &phonemes,
                                                   bool noPauses = false) {
        const size_t before = headless::capturedAudio().size();
        synth::speakPhonemes(phonemes, noPauses);
        const auto &all = headless::capturedAudio();
        return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
    }

    // The one chunk a short phoneme string makes, or nothing.
    static std::vector<uint8_t> spoken(const std::string &phonemes, bool noPauses = false) {
        const auto blocks = speak(phonemes, noPauses);
        EXPECT_LE(blocks.size(), 1u) << phonemes;
        return blocks.empty() ? std::vector<uint8_t>{} : blocks.front();
    }

    TempDir dir;
};

// ---- opening the voice ----------------------------------------------------

struct OpenCase {
    const char *what;
    const char *removed; // relative to the data root, or "" for nothing
    const char *voice;
    int32_t code;
};

TEST_F(SynthTest, OpenReportsWhatIsMissing) {
    const OpenCase cases[] = {
        {"everything there", "", "TESTE", 0},
        {"no such voice", "", "OUTRA", 1},
        {"empty voice name", "", "", 1},
        {"no index", "talvek/som/difones/TESTE.IND", "TESTE", 1},
        {"no sample file", "talvek/som/difones/TESTE.DIF", "TESTE", 1},
        {"no exception file", "talvek/som/difones/portug.exc", "TESTE", 2},
        {"no rule file", "talvek/som/difones/regras.rgr", "TESTE", 2},
        {"no letters directory", "talvek/som/letras", "TESTE", 1},
        {"no diphone directory", "talvek/som/difones", "TESTE", 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeTree();
        if (*c.removed)
            std::filesystem::remove_all(dir.file(c.removed));
        EXPECT_EQ(open(400, 0, 100, c.voice), c.code);
    }
}

TEST_F(SynthTest, DirectoriesComeFromTheConfiguration) {
    writeVoice(dir.file("outra/VOZ"), {{"$KA", 100, 30}});
    test_support::writeFile(dir.file("outra/regras.rgr"), "");
    test_support::writeFile(dir.file("outra/portug.exc"), "");
    test_support::writeFile(dir.file("sons/_65.wav"), test_support::wavImage({7, 7, 7}));
    test_support::writeFile(dir.file("ZEBUNA.INI"),
                            "[TRADUTOR]\r\ndirLetras=c:\\sons\r\nDIRDIFONES=c:\\outra\\\r\n");
    ASSERT_EQ(open(0, 0, 0, "VOZ"), 0);
    EXPECT_EQ(synth::lettersDirectory(), "c:\\sons\\");
    EXPECT_TRUE(samePlayed(spoken("[ka]"), {unit("$KA", 100)}));
    EXPECT_TRUE(samePlayed(spoken("[ /_A]"), {{7, 3}}));
}

TEST_F(SynthTest, VoiceNameKeepsEightCharacters) {
    synth::setVoiceName("TESTE1234");
    EXPECT_EQ(synth::voiceName(), "TESTE123");
}

TEST_F(SynthTest, NothingIsPlayedWhileTheVoiceIsClosed) {
    ASSERT_EQ(open(0, 0, 0), 0);
    synth::closeVoice();
    EXPECT_TRUE(speak("[kA]").empty());
}

// ---- timing ---------------------------------------------------------------

struct CutCase {
    int32_t cut, keep;
    const char *phonemes;
    std::vector<Stretch> played;
};

TEST_F(SynthTest, UnstressedUnitsAreCutButKeepTheirMinimum) {
    const CutCase cases[] = {
        {400, 0, "[ka]", {unit("$KA", 600)}},
        {400, 0, "[kA]", {unit("$KA", 1000)}},    // stressed: whole
        {400, 700, "[ka]", {unit("$KA", 700)}},   // keeps 700
        {400, 2000, "[ka]", {unit("$KA", 1000)}}, // keeps at most its own length
        {400, 0, "[ku]", {}},                     // shorter than the cut: nothing
        {400, 0, "[k]", {unit("$K", 200)}},       // two characters: never cut
        {400, 0, "[ /_A]", {letter(65)}},         // recordings are never cut
        {400, 0, "[kA ka]", {unit("$KA", 1000), unit("$KA", 600)}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.phonemes);
        ASSERT_EQ(open(c.cut, c.keep, 0), 0);
        EXPECT_TRUE(samePlayed(spoken(c.phonemes), c.played));
    }
}

TEST_F(SynthTest, WordsAreSeparatedByTheGapRoundedDownToHundreds) {
    ASSERT_EQ(open(0, 0, 250), 0);
    EXPECT_TRUE(
        samePlayed(spoken("[ka][ka]"), {unit("$KA", 1000), silence(200), unit("$KA", 1000)}));
    // Groups of one word follow each other directly; the last word has no gap.
    EXPECT_TRUE(samePlayed(spoken("[ka ka]"), {unit("$KA", 1000), unit("$KA", 1000)}));
    ASSERT_EQ(open(0, 0, 99), 0);
    EXPECT_TRUE(samePlayed(spoken("[ka][ka]"), {unit("$KA", 1000), unit("$KA", 1000)}));
}

struct PauseCase {
    char mark;
    size_t samples;
};

TEST_F(SynthTest, SpelledPunctuationIsAPause) {
    const PauseCase cases[] = {{',', 4000}, {'.', 8000}, {';', 6000}, {':', 8000}};
    ASSERT_EQ(open(0, 0, 100), 0);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mark);
        EXPECT_TRUE(samePlayed(spoken(std::string("[ka][ /_") + c.mark + "]"),
                               {unit("$KA", 1000), silence(100 + c.samples)}));
    }
    // Without pauses the mark's recording is played.
    EXPECT_TRUE(samePlayed(spoken("[ /_,]", true), {letter(44)}));
    // A mark that has no pause is spoken.
    EXPECT_TRUE(samePlayed(spoken("[ /_T]"), {letter(84)}));
}

// ---- groups ---------------------------------------------------------------

TEST_F(SynthTest, LongGroupEndsAtTheNextSlashAndIsFollowedByTheGap) {
    ASSERT_EQ(open(0, 0, 200), 0);
    // "abcdefghi" is cut before "/ka": its unit is missing, so only its
    // final "$i" sounds; then the gap, then "ka".
    EXPECT_TRUE(
        samePlayed(spoken("[abcdefgh/i/ka]"), {unit("$I", 320), silence(200), unit("$KA", 1000)}));
    // Eight characters do not end the group: "abcdefghka" is one (missing) unit.
    EXPECT_TRUE(samePlayed(spoken("[abcdefgh/ka]"), {unit("$A", 300)}));
}

struct SplitCase {
    const char *phonemes;
    std::vector<Stretch> played;
};

TEST_F(SynthTest, GroupsAreSplitIntoTheVoicesUnits) {
    const SplitCase cases[] = {
        // leading consonant clusters, except the ones spoken as one sound
        {"[pra]", {unit("$P", 150), unit("$RA", 600)}},
        {"[rra]", {unit("$RRA", 650)}},
        {"[nha]", {unit("$NHA", 610)}},
        {"[dja]", {unit("$DJA", 620)}},
        {"[ksa]", {unit("$KSA", 630)}},
        {"[tcha]", {unit("$TCHA", 640)}},
        // final consonants
        {"[karr]", {unit("$KA", 1000), unit("$RR", 330)}},
        {"[kas]", {unit("$KA", 1000), unit("$S", 250)}},
        {"[as]", {unit("$A", 210), unit("$S", 250)}},
        {"[ /_s]", {letter(115)}},
        // semivowels and the marks before them
        {"[kaw]", {unit("$KA", 600), unit("$AW", 400)}},
        {"[ka~w]", {unit("$KACIRC", 540), unit("$AWTIL", 420)}},
        {"[ka^w]", {unit("$KACIRC", 540), unit("$AWCIRC", 440)}},
        {"[a~w]", {unit("$AWTIL", 420)}},
        // the dash, and letter recordings, of which a unit plays the first
        {"[|]", {letter(84)}},
        {"[ /_A/_T]", {letter(65)}},
    };
    ASSERT_EQ(open(0, 0, 0), 0);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.phonemes);
        EXPECT_TRUE(samePlayed(spoken(c.phonemes), c.played));
    }
}

// ---- missing units ----------------------------------------------------------

TEST_F(SynthTest, MissingUnitsAreMadeOfTheirParts) {
    const CutCase cases[] = {
        {0, 0, "[kwa]", {unit("$KW", 630), unit("$A", 300)}},
        // the closed vowel is played uncut, the murmur as the word's start
        {400, 0, "[ka~]", {unit("$KACIRC", 810), unit("$NN", 90)}},
        {0, 0, "[ki~]", {unit("$KI", 720), unit("$NN", 450)}},
        {0, 0, "[ke^]", {unit("$K", 180), unit("$ECIRC", 450)}},
        {0, 0, "[kA~]", {unit("$KACIRC", 810), unit("$NN", 450)}},
        // the murmur keeps 0.9 of its length whatever the vowel's share
        {0, 0, "[a~aw]", {unit("$NN", 450), unit("$A", 180), unit("$AW", 400)}},
        // lookups ignore case; a name of more than 8 characters is never found
        {0, 0, "[KA]", {unit("$KA", 1000)}},
        {0, 0, "[abcdefi]", {unit("$ABCDEFI", 350)}},
        {0, 0, "[abcdefio]", {unit("$ABCDEFI", 315), noise()}},
        // short missing names are noise, longer ones without parts silence
        {0, 0, "[f]", {noise()}},
        {0, 0, "[fa]", {noise(), unit("$A", 300)}},
        {0, 0, "[ /_\x01]", {noise()}},
        {0, 0, "[ /_\xc8]", {}},
        {0, 0, "[ /_,]", {silence(4000)}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.phonemes);
        ASSERT_EQ(open(c.cut, c.keep, 0), 0);
        EXPECT_TRUE(samePlayed(spoken(c.phonemes), c.played));
    }
}

TEST_F(SynthTest, NoiseComesFromTheProgramsGenerator) {
    ASSERT_EQ(open(0, 0, 0), 0);
    speech::setRandomSeed(12345);
    std::vector<Stretch> expected;
    for (int i = 0; i < 300; ++i)
        expected.push_back({static_cast<int>(88 + speech::randomRange(80)), 1});
    speech::setRandomSeed(12345);
    EXPECT_TRUE(samePlayed(spoken("[f]"), expected));
}

// ---- chunks -----------------------------------------------------------------

TEST_F(SynthTest, LongUtteranceIsPlayedInChunksOfTheirOwn) {
    ASSERT_EQ(open(0, 0, 0), 0);
    std::string phonemes;
    for (int i = 0; i < 70; ++i)
        phonemes += "[kA]";
    const auto blocks = speak(phonemes);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_TRUE(samePlayed(blocks[0], {unit("$KA", 63000)}));
    EXPECT_TRUE(samePlayed(blocks[1], {unit("$KA", 7000)}));
    EXPECT_EQ(test_support::transcriptLines("sound"),
              (std::vector<std::string>{"image 5714", "image 635"}));
}

TEST_F(SynthTest, KeyStopsTheChunkPlayingAndSilencesTheRest) {
    ASSERT_EQ(open(0, 0, 0, "TESTE", "{AT 1000}x"), 0);
    std::string phonemes;
    for (int i = 0; i < 150; ++i)
        phonemes += "[kA]";
    speak(phonemes);
    const auto sounds = test_support::transcriptLines("sound");
    ASSERT_FALSE(sounds.empty());
    EXPECT_EQ(sounds.front(), "image 1000 cut");
    EXPECT_EQ(headless::capturedAudio().size(), 1u); // later chunks never reach the device
}

// ---- damaged voices -----------------------------------------------------------

TEST_F(SynthTest, IndexRemainderIsIgnored) {
    std::ofstream(diphones() + "TESTE.IND", std::ios::app | std::ios::binary) << "1234567";
    ASSERT_EQ(open(0, 0, 0), 0);
    EXPECT_TRUE(samePlayed(spoken("[kA]"), {unit("$KA", 1000)}));
}

TEST_F(SynthTest, UnitsOutsideTheSampleFileAreSilence) {
    // 100 samples of $KA lie in the file, the rest past its end; $KE starts
    // past the end, $KI before the start.
    test_support::writeFile(diphones() + "RUIM.IND", record("$KA", 500, 200) +
                                                         record("$KE", 500, 100000) +
                                                         record("$KI", 500, -50));
    test_support::writeFile(diphones() + "RUIM.DIF", std::string(300, static_cast<char>(30)));
    ASSERT_EQ(open(0, 0, 0, "RUIM"), 0);
    EXPECT_TRUE(samePlayed(spoken("[kA]"), {unit("$KA", 100), silence(400)}));
    EXPECT_TRUE(samePlayed(spoken("[kE]"), {silence(500)}));
    EXPECT_TRUE(samePlayed(spoken("[kI]"), {silence(500)}));
}

TEST_F(SynthTest, UnsortedIndexMissesWithoutHarm) {
    std::string index;
    for (auto it = std::rbegin(Units); it != std::rend(Units); ++it)
        index += record(it->name, it->length, 0);
    test_support::writeFile(diphones() + "AVESSO.IND", index);
    test_support::writeFile(diphones() + "AVESSO.DIF", std::string(1000, 'x'));
    ASSERT_EQ(open(0, 0, 0, "AVESSO"), 0);
    for (const auto &u : Units) {
        std::string word = "[" + std::string(u.name + 1) + "]";
        std::transform(word.begin(), word.end(), word.begin(),
                       [](char c) { return static_cast<char>(std::tolower(c)); });
        for (const auto &block : speak(word))
            EXPECT_LE(block.size(), MaxChunk);
    }
}

TEST_F(SynthTest, PieceLargerThanABufferIsCutToOneChunk) {
    writeVoice(diphones() + "LONGA", {{"$KA", 65535, 30}, {"$K", 200, 20}});
    ASSERT_EQ(open(0, 0, 0, "LONGA"), 0);
    const auto blocks = speak("[kA][k]");
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_TRUE(samePlayed(blocks[0], {unit("$KA", MaxChunk)}));
    EXPECT_TRUE(samePlayed(blocks[1], {unit("$K", 200)}));

    // A negative cut lengthens a unit past its own samples, up to one chunk.
    ASSERT_EQ(open(-100000, 0, 0, "LONGA"), 0);
    const auto longer = speak("[ka]");
    ASSERT_EQ(longer.size(), 1u);
    EXPECT_EQ(longer[0].size(), MaxChunk);
}

using test_support::riffChunk;

std::string withDataLength(std::string wav, uint32_t length) {
    for (int i = 0; i < 4; ++i)
        wav[40 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    return wav;
}

struct LetterCase {
    const char *what;
    std::string file;
    std::vector<Stretch> played;
};

TEST_F(SynthTest, MalformedLetterRecordingsNeverStopSpeech) {
    const std::string fmt = riffChunk("fmt ", std::string(16, '\0'));
    const std::string samples(100, static_cast<char>(5));
    const LetterCase cases[] = {
        {"not RIFF", "JUNK" + std::string(60, '\0'), {}},
        {"no format chunk", "RIFF\0\0\0\0WAVE"s + riffChunk("data", samples), {}},
        {"format body past the end", "RIFF\0\0\0\0WAVEfmt \xff\xff\0\0"s, {}},
        {"no data chunk", "RIFF\0\0\0\0WAVE"s + fmt + riffChunk("LIST", "abcd"), {}},
        {"empty data", "RIFF\0\0\0\0WAVE"s + fmt + riffChunk("data", ""), {}},
        {"huge chunk before the data", "RIFF\0\0\0\0WAVE"s + fmt + "LIST\xff\xff\xff\x7f"s, {}},
        {"lower-case names and a chunk before the data",
         "riff\0\0\0\0WAVE"s + riffChunk("FMT ", std::string(16, '\0')) + riffChunk("list", "xyz") +
             riffChunk("DATA", samples),
         {{5, 100}}},
        {"data shorter than its length",
         withDataLength(test_support::wavImage(std::vector<uint8_t>(100, 5)), 5000),
         {{5, 100}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        test_support::writeFile(letters() + "_65.wav", c.file);
        ASSERT_EQ(open(0, 0, 0), 0);
        auto expected = c.played;
        expected.push_back(unit("$KA", 1000));
        EXPECT_TRUE(samePlayed(spoken("[ /_A kA]"), expected));
    }
    // A broken recording of a one-digit code sounds as noise.
    test_support::writeFile(letters() + "_1.wav", "RIFF");
    EXPECT_TRUE(samePlayed(spoken("[ /_\x01]"), {noise()}));

    // A recording longer than a buffer fills one chunk.
    test_support::writeFile(letters() + "_65.wav",
                            test_support::wavImage(std::vector<uint8_t>(70000, 5)));
    const auto blocks = speak("[ /_A kA]");
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_TRUE(samePlayed(blocks[0], {{5, MaxChunk}}));
    EXPECT_TRUE(samePlayed(blocks[1], {unit("$KA", 1000)}));
}

TEST_F(SynthTest, OddPhonemeStringsEndQuietly) {
    ASSERT_EQ(open(0, 0, 100), 0);
    const char *const strings[] = {"",          "[",   "]]]",  "   ", "[ /_", "_",
                                   "/////////", "[kA", "[^w]", "[~]", "[a~]"};
    for (const char *s : strings) {
        SCOPED_TRACE(s);
        for (const auto &block : speak(s))
            EXPECT_LE(block.size(), MaxChunk);
    }
    EXPECT_TRUE(samePlayed(spoken("[kA"), {unit("$KA", 1000)}));
}

} // namespace
