// The built-in engine's shipped voice: the diphone list and the database
// agree, every unit holds what its phonemes need, and it speaks audibly.
#include "tests/mbrsynth_fixture.h"

#include "mbrsynth/synthesizer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

namespace {

const std::string kDir = std::string(ZEB_TEST_DATA_ROOT) + "/talvek/quelotts/";

mbrsynth::Voice shippedVoice() {
    std::string error;
    auto voice = mbrsynth::Voice::open(kDir + "zbr1", error);
    if (!voice) {
        throw std::runtime_error(error);
    }
    return std::move(*voice);
}

TEST(MbrSynthData, EveryListedDiphoneIsInTheVoiceAndEveryPairIsListed) {
    const auto voice = shippedVoice();
    std::ifstream file(kDir + "portug.dfn", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    std::set<std::pair<std::string, std::string>> listed;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every line ends with CR LF";
        const std::string line = text.substr(start, end - start);
        const size_t blank = line.find(' ');
        ASSERT_NE(blank, std::string::npos) << line;
        const std::string first = line.substr(0, blank), second = line.substr(blank + 1);
        const auto a = voice.phoneme(first), b = voice.phoneme(second);
        ASSERT_TRUE(a && b) << line;
        EXPECT_NE(voice.diphone(*a, *b), nullptr) << line;
        listed.insert({first, second});
        start = end + 2;
    }
    const size_t count = voice.data().phonemes.size();
    EXPECT_EQ(count, 37u);
    EXPECT_EQ(listed.size(), count * count);
    EXPECT_EQ(voice.data().diphones.size(), count * count);
}

// Units between two vowels must be voiced around their joins: a unit cut in
// the wrong place would carry silence or noise there.
TEST(MbrSynthData, UnitsBetweenVowelsAreVoiced) {
    const auto voice = shippedVoice();
    const auto &data = voice.data();
    const std::set<std::string> vowels = {"a", "e", "ee", "i", "o", "oo", "u", "@"};
    for (const auto &unit : data.diphones) {
        if (!vowels.count(data.phonemes[unit.first]) || !vowels.count(data.phonemes[unit.second])) {
            continue;
        }
        size_t voiced = 0;
        for (uint32_t k = 0; k < unit.markCount; ++k) {
            voiced += data.marks[unit.markStart + k].voiced;
        }
        EXPECT_GE(voiced * 10, unit.markCount * 8)
            << data.phonemes[unit.first] << "-" << data.phonemes[unit.second];
    }
}

TEST(MbrSynthData, AShortUtteranceIsAudibleAtTheWantedPitch) {
    mbrsynth::Synthesizer synth(shippedVoice());
    synth.setNoError(true);
    // "casa", as the engine's rules and prosody write it.
    const auto samples = mbrsynth_fixture::speak(
        synth, "_ 100\nk 80 50 120\na 160 80 120\nz 90\n@ 120 50 110\n_ 100\n");
    EXPECT_NEAR(static_cast<double>(samples.size()), 650 * 16.0, 100.0);
    EXPECT_GT(mbrsynth_fixture::rms(samples, 180 * 16, 340 * 16), 1000.0);
    EXPECT_LT(mbrsynth_fixture::rms(samples, 0, 80 * 16), 100.0);
    EXPECT_NEAR(mbrsynth_fixture::measureF0(samples, 200 * 16, 320 * 16), 120.0, 120.0 * 0.05);
}

} // namespace
