// zebfala's layout of the blocks the wave device was given: each block at
// the time it starts to sound, silence between, passed on as soon as no
// later block can reach it.
#include "app/sound_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

headless::TimedBlock block8(uint64_t startUs, std::vector<uint8_t> bytes) {
    return {startUs, platform::WaveFormat{1000, 8, 1}, std::move(bytes)};
}

TEST(SoundLayout, BlocksLieAtTheirTimesAndArePassedOnAsSoonAsFinal) {
    std::vector<float> sound;
    size_t piecesBeforeFinish = 0;
    zebfala::SoundLayout layout(1000, [&](std::span<const float> piece) {
        sound.insert(sound.end(), piece.begin(), piece.end());
    });
    const uint64_t origin = 5000000;
    layout.add(block8(origin + 2000, {192, 64}), origin);  // samples 2 and 3
    layout.add(block8(origin + 6000, {255, 128}), origin); // after a gap of silence
    piecesBeforeFinish = sound.size();
    EXPECT_EQ(piecesBeforeFinish, 6u) << "all before the last block's start is passed on";
    layout.finish(10000);
    const std::vector<float> expected = {0, 0, 0.5f, -0.5f, 0, 0, 127 / 128.0f, 0, 0, 0};
    ASSERT_EQ(sound.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_FLOAT_EQ(sound[i], expected[i]) << i;
}

TEST(SoundLayout, ASoundLongerThanItsEndKeepsItsLastBlockWhole) {
    std::vector<float> sound;
    zebfala::SoundLayout layout(1000, [&](std::span<const float> piece) {
        sound.insert(sound.end(), piece.begin(), piece.end());
    });
    layout.add(block8(0, std::vector<uint8_t>(5, 192)), 0);
    layout.finish(2000);
    EXPECT_EQ(sound.size(), 5u);
    layout.finish(0);
    EXPECT_EQ(sound.size(), 5u) << "nothing is passed on twice";
}

} // namespace
