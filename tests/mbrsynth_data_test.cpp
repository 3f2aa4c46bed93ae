// The built-in engine's shipped voice: the diphone list and the database
// agree, every unit holds what its phonemes need, and it speaks audibly.
#include "tests/mbrsynth_fixture.h"

#include "mbrsynth/synthesizer.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// A click stands out as a 5 ms stretch whose largest sample-to-sample jump
// is more than three times the largest of the two stretches on each side.
TEST(MbrSynthData, SentencesHaveNoClicks) {
    mbrsynth::Synthesizer synth(shippedVoice());
    synth.setNoError(true);
    // "O jogador acertou a letra. Você perdeu, a palavra era chuva. Quer
    // jogar de novo? Minha filha ganhou o prêmio.", as the engine writes it.
    const std::string lines =
        "_ 48 50 120\nu 65 50 120\nj 68 50 120\no 75\ng 60\na 78\nd 56\no 109 80 127\n"
        "r 47 50 114\na 78 50 114\ns 84\ne 75\nr2 48\nt 65\no 109 80 127\nw 64 50 114\n"
        "a 78 50 114\nl 56 50 120\ne 109 80 127\nt 65\nr 32\na 78 50 96\n_ 360 50 96\n"
        "_ 48 50 120\nv 63 50 127\no 75\ns 84\ne 109 80 134\np 72 50 120\ne 75\nr2 48\n"
        "d 56\ne 109 80 114\nw 64 50 134\n_ 209 50 134\na 78 50 134\np 72 50 120\na 78\n"
        "l 56\na 113 80 127\nv 63\nr 32\na 78 50 114\nee 117 80 127\nr 32\na 78 50 114\n"
        "x 87 50 114\nu 95 80 127\nv 63\na 78 50 96\n_ 360 50 96\n_ 48 50 120\n"
        "k 72 50 127\nee 117 80 134\nr2 69 50 120\nj 68 50 120\no 75\ng 60\n"
        "a 113 80 127\nr2 69 50 114\nd 56 50 114\ni 65\nn 60 50 120\no 109 80 120\nv 63\n"
        "u 65 50 156\n_ 360 50 156\n_ 48 50 120\nm 63 50 127\nin 121 80 134\nnh 68\n"
        "a 78 50 120\nf 78 50 120\ni 95 80 127\nlh 72\na 78 50 114\ng 60 50 114\na 78\n"
        "nh 68\no 109 80 127\nw 64 50 114\nu 65 50 114\np 72 50 120\nr 32\n"
        "en 126 80 127\nm 63\ni 65\nu 65 50 96\n_ 360 50 96\n";
    const auto samples = mbrsynth_fixture::speak(synth, lines);
    const size_t frame = 80;
    std::vector<int> jumps;
    for (size_t at = 0; at + frame <= samples.size(); at += frame) {
        jumps.push_back(mbrsynth_fixture::largestJump(samples, at, at + frame));
    }
    for (size_t k = 2; k + 2 < jumps.size(); ++k) {
        const int around = std::max({jumps[k - 2], jumps[k - 1], jumps[k + 1], jumps[k + 2], 300});
        EXPECT_LE(jumps[k], 3 * around) << "at " << k * frame / 16 << " ms";
    }
}

} // namespace
