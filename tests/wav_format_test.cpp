// The WAV header every sound of the program carries, and the two ways its
// images' chunks are walked: as the program writes them, and as RIFF allows.
#include "platform/wav_format.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

using test_support::littleEndian;
using test_support::pcmFormatBody;
using test_support::riffChunk;
using test_support::riffWave;

std::span<const uint8_t> bytesOf(const std::string &image) {
    return {reinterpret_cast<const uint8_t *>(image.data()), image.size()};
}

TEST(WavHeader, FollowsTheChannelsAndBits) {
    struct Case {
        uint32_t dataBytes, rate;
        uint16_t channels, bits;
    };
    for (const Case &c : {Case{1000, 11025, 1, 8}, Case{4410, 16000, 1, 16}, Case{8, 44100, 2, 16},
                          Case{0, 22050, 2, 8}}) {
        SCOPED_TRACE(std::to_string(c.channels) + " channels, " + std::to_string(c.bits) + " bits");
        std::string header(wav::HeaderSize, '\0');
        wav::writeHeader(reinterpret_cast<uint8_t *>(header.data()), c.dataBytes, c.rate,
                         c.channels, c.bits);
        const std::string expected =
            test_support::wavImage(std::vector<uint8_t>(c.dataBytes), c.rate, c.bits, c.channels);
        EXPECT_EQ(header, expected.substr(0, wav::HeaderSize));
    }
}

struct ImageCase {
    const char *what;
    std::string image;
    // The data chunk's body as each walk finds it, or the fault it reports.
    std::optional<std::string> formatFirst, padded;
    wav::ImageFault formatFirstFault = wav::ImageFault::NoData,
                    paddedFault = wav::ImageFault::NoData;
};

TEST(WavImages, AreWalkedAsWrittenOrAsRiffAllows) {
    const std::string fmt = riffChunk("fmt ", pcmFormatBody());
    const std::string data = riffChunk("data", "abcd");
    using F = wav::ImageFault;
    const ImageCase cases[] = {
        {"canonical", riffWave(fmt + data), "abcd", "abcd"},
        {"names in any case",
         "riff" + littleEndian(0, 4) + "wave" + riffChunk("FMT ", pcmFormatBody()) +
             riffChunk("Data", "ab"),
         "ab", "ab"},
        {"a chunk of odd length before the data",
         riffWave(fmt + riffChunk("LIST", "xyz") + "\0"s + data), std::nullopt, "abcd", F::NoData},
        {"a chunk of even length before the data", riffWave(fmt + riffChunk("LIST", "wxyz") + data),
         "abcd", "abcd"},
        {"the format after another chunk", riffWave(riffChunk("LIST", "wxyz") + fmt + data),
         std::nullopt, "abcd", F::NoFormat},
        {"data before the format", riffWave(data + fmt), std::nullopt, std::nullopt,
         F::DataBeforeFormat, F::DataBeforeFormat},
        {"data claiming more than there is", riffWave(fmt + "data" + littleEndian(1000, 4) + "abc"),
         "abc", "abc"},
        {"a chunk running past the image", riffWave(fmt + "LIST" + littleEndian(1000, 4) + "abc"),
         std::nullopt, std::nullopt},
        {"a format too short", riffWave(riffChunk("fmt ", "abcd") + data), std::nullopt,
         std::nullopt, F::DamagedFormat, F::DamagedFormat},
        {"a format running past the image",
         riffWave("fmt " + littleEndian(5000, 4) + pcmFormatBody()), std::nullopt, std::nullopt,
         F::DamagedFormat, F::DamagedFormat},
        {"no data", riffWave(fmt), std::nullopt, std::nullopt},
        {"no chunks", riffWave(""), std::nullopt, std::nullopt, F::NoFormat, F::NoFormat},
        {"not WAVE", "RIFF" + littleEndian(0, 4) + "AVI " + fmt + data, std::nullopt, std::nullopt,
         F::NotRiff, F::NotRiff},
        {"shorter than a RIFF header", "RIFF", std::nullopt, std::nullopt, F::NotRiff, F::NotRiff},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const struct {
            wav::Chunks chunks;
            const std::optional<std::string> &expected;
            wav::ImageFault expectedFault;
        } walks[] = {{wav::Chunks::FormatFirst, c.formatFirst, c.formatFirstFault},
                     {wav::Chunks::Padded, c.padded, c.paddedFault}};
        for (const auto &walk : walks) {
            SCOPED_TRACE(walk.chunks == wav::Chunks::Padded ? "padded" : "format first");
            wav::ImageFault fault{};
            const auto layout = wav::parseImage(bytesOf(c.image), walk.chunks, &fault);
            ASSERT_EQ(layout.has_value(), walk.expected.has_value());
            if (layout) {
                EXPECT_EQ(c.image.substr(layout->dataStart, layout->dataLength), *walk.expected);
                EXPECT_EQ(layout->format.rate, 11025u);
                EXPECT_EQ(layout->format.bits, 8u);
            } else {
                EXPECT_EQ(fault, walk.expectedFault);
                EXPECT_STRNE(wav::faultText(fault), "");
            }
        }
    }
}

} // namespace
