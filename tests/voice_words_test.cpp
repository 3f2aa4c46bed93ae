// The shipped voice speaks every word of the game's word list audibly.
#include "platform/headless/headless.h"
#include "tests/test_support.h"
#include "tradutor/diphone/native_voice.h"
#include "tradutor/speech/speech.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// The largest distance from silence (128) in the blocks given to the device
// from block `first` on.
int loudestSample(size_t first) {
    int loudest = 0;
    const auto &blocks = headless::capturedAudio();
    for (size_t b = first; b < blocks.size(); ++b)
        for (const uint8_t sample : blocks[b])
            loudest = std::max(loudest, std::abs(int{sample} - 128));
    return loudest;
}

TEST(ShippedVoice, EveryGameWordIsAudible) {
    const std::string root = ZEB_TEST_DATA_ROOT;
    test_support::startMachine(root, root + "/windows/ZEBUNA.INI");
    speech::initSpeech(3, "c:\\talvek\\som\\quibo2\\");
    std::ifstream list(root + "/talvek/som/quibo2/galdrino.pal");
    headless::setAudioCapture(true);
    int words = 0;
    for (std::string word; std::getline(list, word);) {
        if (!word.empty() && word.back() == '\r')
            word.pop_back();
        const size_t first = headless::capturedAudio().size();
        diphone::speakPhonemes(diphone::translateText(word + " "), false);
        EXPECT_GT(loudestSample(first), 40) << word;
        ++words;
    }
    EXPECT_GE(words, 300);
}

} // namespace
