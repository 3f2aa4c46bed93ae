// The wave player on the headless backend: WAV parsing, block sizing,
// compression and speed-up, and keys cutting the sound.
#include "console/console.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "tests/test_support.h"
#include "tradutor/speech/wave_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using test_support::TempDir;

using test_support::littleEndian;
using test_support::pcmFormatBody;
using test_support::riffChunk;
using test_support::riffWave;

// A chunk whose header claims `stated` bytes whatever it holds.
std::string chunkClaiming(const std::string &name, uint32_t stated, const std::string &body) {
    return name + littleEndian(stated, 4) + body;
}

std::string samples(size_t count, uint8_t value = 100) {
    return std::string(count, static_cast<char>(value));
}

// Milliseconds of `frames` at `rate`, rounded as the transcript rounds them.
uint32_t msOf(uint64_t frames, uint32_t rate) {
    return static_cast<uint32_t>((frames * 1000000 / rate + 500) / 1000);
}

// The sound events of the transcript.
std::vector<headless::Event> sounds() {
    std::vector<headless::Event> out;
    for (const auto &event : headless::transcript())
        if (event.kind == headless::Event::Kind::Sound)
            out.push_back(event);
    return out;
}

class WavePlayerTest : public ::testing::Test {
protected:
    WavePlayerTest() {
        test_support::writeFile(dir.file("ZEBUNA.INI"), "");
        start();
    }
    void start(const std::string &keys = "") {
        test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"), keys);
    }
    std::string file(const std::string &name, const std::string &bytes) {
        test_support::writeFile(dir.file(name), bytes);
        return dir.file(name);
    }
    TempDir dir;
};

const uint32_t Tenth = 1103; // samples of a tenth of a second at 11025 Hz

struct ParseCase {
    const char *what;
    std::string bytes;
    int32_t result;
    uint32_t playedSamples; // 0: nothing sounds
};

TEST_F(WavePlayerTest, FilesAreParsedWithoutReadingPastWhatTheyHold) {
    const std::string fmt = riffChunk("fmt ", pcmFormatBody());
    const std::string data = riffChunk("data", samples(Tenth));
    const std::string good = riffWave(fmt + data);
    const ParseCase cases[] = {
        {"canonical file", good, 0, Tenth},
        {"names in any case",
         riffWave(riffChunk("FmT ", pcmFormatBody()) + riffChunk("dAtA", samples(Tenth)), "riff"),
         0, Tenth},
        {"other chunk before the data", riffWave(fmt + riffChunk("LIST", samples(10)) + data), 0,
         Tenth},
        {"odd chunk length, no pad byte", riffWave(fmt + riffChunk("junk", samples(3)) + data), 0,
         Tenth},
        {"chunk longer than the read buffer",
         riffWave(fmt + riffChunk("LIST", samples(100000)) + data), 0, Tenth},
        {"format chunk longer than the read buffer",
         riffWave(riffChunk("fmt ", pcmFormatBody() + samples(70000)) + data), 0, Tenth},
        {"huge chunk length ends the walk",
         riffWave(fmt + chunkClaiming("LIST", 0xFFFFFFF0u, samples(10)) + data), 0, 0},
        {"no data chunk", riffWave(fmt + riffChunk("LIST", samples(10))), 0, 0},
        {"empty data chunk", riffWave(fmt + riffChunk("data", "")), 0, 0},
        {"data shorter than its chunk claims",
         riffWave(fmt + chunkClaiming("data", 50000, samples(Tenth))), 0, Tenth},
        {"data length FFFFFFFF", riffWave(fmt + chunkClaiming("data", 0xFFFFFFFFu, samples(Tenth))),
         0, Tenth},
        {"data chunk with nothing in it", riffWave(fmt + chunkClaiming("data", 100, "")), -1, 0},
        {"not RIFF", riffWave(fmt + data, "RIFX"), -1, 0},
        {"no format chunk at 12", riffWave(riffChunk("LIST", samples(4)) + fmt + data), -1, 0},
        {"header cut short", good.substr(0, 10), -1, 0},
        {"format body cut short", good.substr(0, 30), -1, 0},
        {"format body of 14 bytes",
         riffWave(riffChunk("fmt ", pcmFormatBody().substr(0, 14)) + data), -1, 0},
        {"12 bits per sample", riffWave(riffChunk("fmt ", pcmFormatBody(11025, 12)) + data), -1, 0},
        {"no channels", riffWave(riffChunk("fmt ", pcmFormatBody(11025, 8, 0)) + data), -1, 0},
        {"rate 0", riffWave(riffChunk("fmt ", pcmFormatBody(0)) + data), -1, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        start();
        EXPECT_EQ(wave::playWaveFile(file("case.wav", c.bytes)), c.result);
        const auto played = sounds();
        if (c.playedSamples == 0) {
            EXPECT_TRUE(played.empty());
        } else {
            ASSERT_EQ(played.size(), 1u);
            EXPECT_EQ(played[0].text, "case.wav");
            EXPECT_EQ(played[0].value, msOf(c.playedSamples, 11025));
        }
    }
}

TEST_F(WavePlayerTest, MissingFileIsNotPlayable) {
    EXPECT_EQ(wave::playWaveFile(dir.file("absent.wav")), -1);
    EXPECT_TRUE(sounds().empty());
}

TEST_F(WavePlayerTest, ImagesAreCheckedAgainstTheirSize) {
    std::string image(wave::HeaderSize, '\0');
    wave::buildWaveHeader(reinterpret_cast<uint8_t *>(image.data()), Tenth, 11025, 1, 8);
    const std::string good = image + samples(Tenth);
    // The header claims ten times the samples that are there.
    std::string overlong = image;
    wave::buildWaveHeader(reinterpret_cast<uint8_t *>(overlong.data()), 10 * Tenth, 11025, 1, 8);
    overlong += samples(Tenth);
    const ParseCase cases[] = {
        {"built image", good, 0, Tenth},
        {"data beyond the image is not read", overlong, 0, Tenth},
        {"chunk before the data",
         riffWave(riffChunk("fmt ", pcmFormatBody()) + riffChunk("LIST", samples(5)) +
                  riffChunk("data", samples(Tenth))),
         0, Tenth},
        {"chunk running past the image",
         riffWave(riffChunk("fmt ", pcmFormatBody()) + chunkClaiming("LIST", 1000, samples(5))), 0,
         0},
        {"format running past the image", riffWave(chunkClaiming("fmt ", 5000, pcmFormatBody())), 0,
         0},
        {"too short for a format", good.substr(0, 30), 0, 0},
        {"no data chunk", riffWave(riffChunk("fmt ", pcmFormatBody())), 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        start();
        wave::playWaveImage(reinterpret_cast<const uint8_t *>(c.bytes.data()), c.bytes.size());
        while (wave::isWavePlaying())
            console::waitMessage();
        const auto played = sounds();
        if (c.playedSamples == 0) {
            EXPECT_TRUE(played.empty());
        } else {
            ASSERT_EQ(played.size(), 1u);
            EXPECT_EQ(played[0].text, "image");
            EXPECT_EQ(played[0].value, msOf(c.playedSamples, 11025));
        }
    }
}

TEST_F(WavePlayerTest, BuiltHeaderIsTheCanonicalMono8BitHeader) {
    const std::string expected = test_support::wavImage(std::vector<uint8_t>(300), 11025, 8, 1);
    std::string built(wave::HeaderSize, '\0');
    wave::buildWaveHeader(reinterpret_cast<uint8_t *>(built.data()), 300, 11025, 1, 8);
    EXPECT_EQ(built, expected.substr(0, wave::HeaderSize));
}

std::vector<uint32_t> blockSizes(uint32_t length) {
    std::vector<uint32_t> sizes;
    while (length > 0) {
        sizes.push_back(wave::blockSizeFor(length));
        length -= sizes.back();
    }
    return sizes;
}

TEST(WaveBlocks, DataIsCutSoThatNoTinyLastBlockRemains) {
    EXPECT_EQ(blockSizes(65600), (std::vector<uint32_t>{65278, 322}));
    EXPECT_EQ(blockSizes(131068), (std::vector<uint32_t>{65534, 65534}));
    EXPECT_EQ(blockSizes(65534), (std::vector<uint32_t>{65534}));
    EXPECT_EQ(blockSizes(65789), (std::vector<uint32_t>{65278, 511}));
    EXPECT_EQ(blockSizes(65790), (std::vector<uint32_t>{65534, 256}));
    EXPECT_EQ(blockSizes(200), (std::vector<uint32_t>{200}));
}

TEST(WaveBlocks, ShortBlocksArePaddedWithSilenceOfTheirFormat) {
    std::vector<uint8_t> block(wave::BlockSize, 7);
    const std::vector<uint8_t> input(200, 60);

    ASSERT_EQ(wave::fillBlock(block.data(), input.data(), 200, 8, 1), 256u);
    EXPECT_EQ(block[198], 60);
    EXPECT_EQ(block[199], 128); // a short mono 8-bit block ends on silence
    for (size_t i = 200; i < 256; ++i)
        ASSERT_EQ(block[i], 128) << i;

    ASSERT_EQ(wave::fillBlock(block.data(), input.data(), 200, 16, 1), 256u);
    EXPECT_EQ(block[199], 60);
    for (size_t i = 200; i < 256; ++i)
        ASSERT_EQ(block[i], 0) << i;

    ASSERT_EQ(wave::fillBlock(block.data(), input.data(), 200, 8, 2), 256u);
    EXPECT_EQ(block[199], 60); // only mono blocks get the silent last byte
    EXPECT_EQ(block[255], 128);

    const std::vector<uint8_t> full(wave::BlockSize, 60);
    ASSERT_EQ(wave::fillBlock(block.data(), full.data(), wave::BlockSize, 8, 1), wave::BlockSize);
    EXPECT_EQ(block[wave::BlockSize - 1], 60);
    ASSERT_EQ(wave::fillBlock(block.data(), full.data(), 1000, 8, 1), 1000u);
    EXPECT_EQ(block[999], 128);
}

TEST_F(WavePlayerTest, TwoHundredByteFileSoundsAs256Bytes) {
    const std::string bytes = test_support::wavImage(std::vector<uint8_t>(200, 90));
    EXPECT_EQ(wave::playWaveFile(file("short.wav", bytes)), 0);
    ASSERT_EQ(sounds().size(), 1u);
    EXPECT_EQ(sounds()[0].value, msOf(256, 11025));
}

TEST_F(WavePlayerTest, LongFileGoesThroughTheFourBlocksAndClosesTheDevice) {
    const uint32_t length = 7 * wave::BlockSize + 1000; // more blocks than the queue holds
    EXPECT_EQ(wave::playWaveFile(file("long.wav", riffWave(riffChunk("fmt ", pcmFormatBody()) +
                                                           riffChunk("data", samples(length))))),
              0);
    ASSERT_EQ(sounds().size(), 1u);
    // Each block's length is rounded on its own: allow a millisecond.
    EXPECT_NEAR(sounds()[0].value, msOf(length, 11025), 1);
    EXPECT_FALSE(sounds()[0].cut);
    EXPECT_NEAR(static_cast<double>(headless::nowMs()), msOf(length, 11025), 1);
    EXPECT_EQ(wave::queuedCount(), 0);
    const uint8_t probe[256] = {};
    EXPECT_EQ(platform::waveWrite(1, probe, sizeof probe), platform::WaveInvalidHandle)
        << "the device is still open";
}

TEST_F(WavePlayerTest, PendingKeyPlaysNothingAndStaysQueued) {
    start("{AT 0}x");
    EXPECT_EQ(wave::playWaveFile(file("a.wav", test_support::wavOfMs(500))), 0);
    EXPECT_TRUE(sounds().empty());
    EXPECT_EQ(headless::nowMs(), 0u);
    ASSERT_TRUE(console::keyPressed());
    EXPECT_EQ(console::readKey(), 'x');
}

TEST_F(WavePlayerTest, KeyCutsTheSoundAtOnce) {
    const uint32_t length = 3 * wave::BlockSize; // 17.8 s over several blocks
    start("{AT 1500}x");
    EXPECT_EQ(wave::playWaveFile(file("long.wav", riffWave(riffChunk("fmt ", pcmFormatBody()) +
                                                           riffChunk("data", samples(length))))),
              0);
    ASSERT_EQ(sounds().size(), 1u);
    EXPECT_TRUE(sounds()[0].cut);
    EXPECT_EQ(sounds()[0].value, 1500u);
    EXPECT_EQ(headless::nowMs(), 1500u);
    EXPECT_EQ(wave::queuedCount(), 0);
    ASSERT_TRUE(console::keyPressed());
    EXPECT_EQ(console::readKey(), 'x');
}

// 16-bit samples of a voiced sound: a fundamental with a strong harmonic,
// one clear peak per period.
std::string voiced16(size_t count, double period) {
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        const double phase = 2 * std::numbers::pi * static_cast<double>(i) / period;
        out += littleEndian(static_cast<uint16_t>(static_cast<int16_t>(12000 * std::sin(phase) +
                                                                       6000 * std::sin(2 * phase))),
                            2);
    }
    return out;
}

std::vector<uint8_t> voiced8(size_t count, double period) {
    std::vector<uint8_t> out(count);
    for (size_t i = 0; i < count; ++i) {
        const double phase = 2 * std::numbers::pi * static_cast<double>(i) / period;
        out[i] = static_cast<uint8_t>(128 + 60 * std::sin(phase) + 30 * std::sin(2 * phase));
    }
    return out;
}

TEST_F(WavePlayerTest, CompressionSends16BitMonoAs8BitAboutHalfAsLong) {
    const size_t count = 44100; // 2 s at 22050 Hz, a period of 441 samples (50 Hz)
    wave::setCompression(true);
    EXPECT_EQ(
        wave::playWaveFile(file("voice.wav", riffWave(riffChunk("fmt ", pcmFormatBody(22050, 16)) +
                                                      riffChunk("data", voiced16(count, 441))))),
        0);
    EXPECT_EQ(wave::currentFormat().bits, 8);
    ASSERT_EQ(sounds().size(), 1u);
    const double ratio = sounds()[0].value / 2000.0;
    EXPECT_GT(ratio, 0.4);
    EXPECT_LT(ratio, 0.6);
}

TEST_F(WavePlayerTest, StereoIsNeverCompressed) {
    wave::setCompression(true);
    const size_t frames = 22050;
    EXPECT_EQ(wave::playWaveFile(
                  file("stereo.wav", riffWave(riffChunk("fmt ", pcmFormatBody(22050, 16, 2)) +
                                              riffChunk("data", voiced16(2 * frames, 441))))),
              0);
    EXPECT_EQ(wave::currentFormat().bits, 16);
    EXPECT_EQ(wave::currentFormat().channels, 2);
    ASSERT_EQ(sounds().size(), 1u);
    EXPECT_NEAR(sounds()[0].value, msOf(frames, 22050), 1);
}

TEST_F(WavePlayerTest, SpeedUpPlaysAtOneAndAHalfTimesTheRate) {
    wave::setSpeedUp(true);
    EXPECT_EQ(wave::playWaveFile(file("a.wav", test_support::wavImage(voiced8(11025, 100)))), 0);
    EXPECT_EQ(wave::currentFormat().rate, 16537u);
    ASSERT_EQ(sounds().size(), 1u);
    EXPECT_EQ(sounds()[0].value, msOf(11025, 16537));
}

TEST_F(WavePlayerTest, NewFormatWaitsForTheSoundBefore) {
    const std::string first = test_support::wavImage(std::vector<uint8_t>(11025, 100), 11025);
    const std::string second = test_support::wavImage(std::vector<uint8_t>(22050, 100), 22050);
    wave::playWaveImage(reinterpret_cast<const uint8_t *>(first.data()), first.size());
    EXPECT_EQ(headless::nowMs(), 0u);
    wave::playWaveImage(reinterpret_cast<const uint8_t *>(second.data()), second.size());
    EXPECT_EQ(headless::nowMs(), 1000u) << "the second format opened before the first ended";
    EXPECT_EQ(wave::currentFormat().rate, 22050u);
}

TEST(CompressSpeech, ShortBuffersOnlyChangeTheirSampleSize) {
    std::vector<uint8_t> eight = voiced8(999, 100);
    const std::vector<uint8_t> before = eight;
    EXPECT_EQ(wave::compressSpeech(eight.data(), 999, 8, 11025), 999u);
    EXPECT_EQ(eight, before);

    const std::string sixteen = voiced16(400, 100);
    std::vector<uint8_t> buffer(sixteen.begin(), sixteen.end());
    ASSERT_EQ(wave::compressSpeech(buffer.data(), 800, 16, 11025), 400u);
    for (size_t i = 0; i < 400; ++i) {
        const auto high = static_cast<uint8_t>(sixteen[2 * i + 1]);
        ASSERT_EQ(buffer[i], high ^ 0x80) << i;
    }
}

// A voiced sound with one sharp glottal pulse per period.
std::vector<uint8_t> pulses8(size_t count, uint32_t period) {
    std::vector<uint8_t> out = voiced8(count, period);
    for (size_t i = period / 3; i < count; i += period)
        out[i] = 250;
    return out;
}

TEST(CompressSpeech, DropsEveryOtherPitchPeriodKeepingThePitch) {
    const uint32_t period = 100; // within the 80..130 samples searched at 11025 Hz
    std::vector<uint8_t> buffer = pulses8(20000, period);
    const uint32_t length = wave::compressSpeech(buffer.data(), 20000, 8, 11025);
    EXPECT_GT(length, 8000u);
    EXPECT_LT(length, 12000u);
    // The peaks left stand a period apart, or side by side where a kept
    // period ends on the peak that starts the next one kept.
    uint32_t previous = 0;
    bool first = true;
    for (uint32_t i = 0; i < length; ++i) {
        if (buffer[i] != 250)
            continue;
        if (!first) {
            ASSERT_TRUE(i - previous == 1 || i - previous == period) << i << " after " << previous;
        }
        first = false;
        previous = i;
    }
}

TEST(CompressSpeech, SilentOrShortWindowsEndAndStayInTheBuffer) {
    std::vector<uint8_t> zeros(5000, 0);
    EXPECT_LE(wave::compressSpeech(zeros.data(), 5000, 8, 11025), 5000u);
    // At 22050 Hz the first search reaches beyond 1,100 samples.
    std::vector<uint8_t> shortVoice = voiced8(1100, 400);
    EXPECT_LE(wave::compressSpeech(shortVoice.data(), 1100, 8, 22050), 1100u);
}

} // namespace

// ---- a sound card that is missing, busy or failing ----

TEST_F(WavePlayerTest, DeviceThatCannotOpenGivesItsErrorAtOnceAndSilence) {
    for (const int32_t code :
         {platform::WaveNoDriver, platform::WaveBadDeviceId, platform::WaveNoMem}) {
        start();
        headless::setWaveFaults({code, 0, 0, 0});
        EXPECT_EQ(wave::playWaveFile(file("a.wav", test_support::wavOfMs(500))), code);
        EXPECT_TRUE(sounds().empty()) << code;
        EXPECT_EQ(headless::nowMs(), 0u) << "only a busy device is waited for";
        EXPECT_EQ(wave::queuedCount(), 0);
    }
}

TEST_F(WavePlayerTest, BusyDeviceIsTriedEvery100msAHundredTimes) {
    headless::setWaveFaults({platform::WaveAllocated, 0, 0, 0});
    EXPECT_EQ(wave::playWaveFile(file("a.wav", test_support::wavOfMs(500))),
              platform::WaveAllocated);
    EXPECT_EQ(headless::nowMs(), 9900u);
    EXPECT_TRUE(sounds().empty());

    start();
    headless::setWaveFaults({platform::WaveAllocated, 3, 0, 0});
    EXPECT_EQ(wave::playWaveFile(file("a.wav", test_support::wavOfMs(500))), 0);
    ASSERT_EQ(sounds().size(), 1u);
    EXPECT_NEAR(static_cast<double>(headless::nowMs()), 300 + 500, 1);
}

TEST_F(WavePlayerTest, BlocksThatFailToQueueAreDroppedAndTheirBuffersGivenBack) {
    headless::setWaveFaults({0, 0, platform::WaveNoMem, 0});
    const std::string longFile = riffWave(riffChunk("fmt ", pcmFormatBody()) +
                                          riffChunk("data", samples(6 * wave::BlockSize)));
    EXPECT_EQ(wave::playWaveFile(file("long.wav", longFile)), 0);
    EXPECT_EQ(wave::queuedCount(), 0);
    EXPECT_EQ(headless::nowMs(), 0u) << "nothing was queued, nothing is waited for";
    headless::setWaveFaults({});
    EXPECT_EQ(wave::playWaveFile(file("a.wav", test_support::wavOfMs(500))), 0);
    ASSERT_EQ(sounds().size(), 2u);
    EXPECT_EQ(sounds()[0].value, 0u) << "the dropped blocks never sounded";
    EXPECT_NEAR(sounds()[1].value, 500, 1);
}

TEST_F(WavePlayerTest, UnprepareErrorsPrintTheirTextAndWaitForEnter) {
    const std::pair<int32_t, std::string> cases[] = {
        {platform::WaveInvalidHandle, "Specified device handle is invalid."},
        {platform::WaveNoDriver, "No device driver is present."},
        {platform::WaveNoMem, "Unable to allocate or lock memory."},
        {platform::WaveStillPlaying,
         "The data block pointed to by the pwh parameter is still in queue"},
        {99, ""},
    };
    for (const auto &[code, text] : cases) {
        start("{ENTER}");
        headless::setWaveFaults({0, 0, 0, code});
        EXPECT_EQ(wave::playWaveFile(file("a.wav", test_support::wavOfMs(500))), 0);
        EXPECT_EQ(test_support::textPrinted(), text + "\r\n") << code;
        EXPECT_TRUE(headless::keyScriptExhausted()) << "Enter was waited for";
        EXPECT_EQ(wave::queuedCount(), 0) << "the block is released in any case";
    }
}
