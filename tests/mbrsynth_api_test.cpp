// The shared library as the speech engine loads it: by name, through the
// dynamic loader, driven line by line as the engine does.
#include "tests/mbrsynth_fixture.h"
#include "tests/test_support.h"

#include "mbrsynth/mbrola_api.h"
#include "mbrsynth/voice_db.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>

namespace {

using namespace mbrsynth_fixture;

// The entry points, looked up by name as the engine does.
struct Api {
    decltype(&init_MBR) init;
    decltype(&write_MBR) write;
    decltype(&flush_MBR) flush;
    decltype(&read_MBR) read;
    decltype(&readtype_MBR) readType;
    decltype(&close_MBR) close;
    decltype(&reset_MBR) reset;
    decltype(&lastError_MBR) lastError;
    decltype(&lastErrorStr_MBR) lastErrorStr;
    decltype(&setNoError_MBR) setNoError;
    decltype(&getDatabaseInfo_MBR) databaseInfo;
};

struct LibraryCloser {
    void operator()(void *handle) const { platform::freeLibrary(handle); }
};

class MbrSynthApi : public ::testing::Test {
protected:
    void SetUp() override {
        // The library is loaded the way the engine loads it, as "mbrola.dll":
        // on Windows from the program's folder, elsewhere this build's.
#ifndef _WIN32
        setenv("ZEBUNA_MBROLA", ZEB_MBRSYNTH_LIBRARY, 1);
#endif
        library_.reset(platform::loadLibrary("mbrola.dll"));
        ASSERT_TRUE(library_);
        for (const char *name :
             {"init_MBR",       "init_rename_MBR",     "write_MBR",          "flush_MBR",
              "read_MBR",       "readtype_MBR",        "close_MBR",          "reset_MBR",
              "lastError_MBR",  "lastErrorStr_MBR",    "setNoError_MBR",     "getNoError_MBR",
              "setFreq_MBR",    "getFreq_MBR",         "setVolumeRatio_MBR", "getVolumeRatio_MBR",
              "getVersion_MBR", "getDatabaseInfo_MBR", "setParser_MBR",      "init_Phone",
              "reset_Phone",    "close_Phone",         "appendf0_Phone"}) {
            ASSERT_NE(platform::librarySymbol(library_.get(), name), nullptr) << name;
        }
        api_.init = symbol<decltype(&init_MBR)>("init_MBR");
        api_.write = symbol<decltype(&write_MBR)>("write_MBR");
        api_.flush = symbol<decltype(&flush_MBR)>("flush_MBR");
        api_.read = symbol<decltype(&read_MBR)>("read_MBR");
        api_.readType = symbol<decltype(&readtype_MBR)>("readtype_MBR");
        api_.close = symbol<decltype(&close_MBR)>("close_MBR");
        api_.reset = symbol<decltype(&reset_MBR)>("reset_MBR");
        api_.lastError = symbol<decltype(&lastError_MBR)>("lastError_MBR");
        api_.lastErrorStr = symbol<decltype(&lastErrorStr_MBR)>("lastErrorStr_MBR");
        api_.setNoError = symbol<decltype(&setNoError_MBR)>("setNoError_MBR");
        api_.databaseInfo = symbol<decltype(&getDatabaseInfo_MBR)>("getDatabaseInfo_MBR");
    }
    // The library keeps its settings across init_MBR calls: each test leaves
    // the defaults behind.
    void TearDown() override {
        if (api_.close) {
            api_.close();
            api_.setNoError(0);
            symbol<decltype(&setVolumeRatio_MBR)>("setVolumeRatio_MBR")(1.0f);
            symbol<decltype(&setFreq_MBR)>("setFreq_MBR")(16000);
        }
    }

    template <typename F> F symbol(const char *name) {
        return reinterpret_cast<F>(platform::librarySymbol(library_.get(), name));
    }

    std::string writeVoice(const std::vector<uint8_t> &image) {
        const std::string path = dir_.file("zbr1");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char *>(image.data()),
                   static_cast<std::streamsize>(image.size()));
        return path;
    }

    int open(const std::string &path) {
        return api_.init(const_cast<char *>(path.c_str()));
    }

    // The engine's way: one write per line with CR LF, the error checked, and
    // reads of 16000 samples until none come; the flush after the last line.
    std::vector<int16_t> speakLines(const std::vector<std::string> &lines,
                                    std::vector<int> *readSizes = nullptr) {
        std::vector<int16_t> all;
        std::vector<short> buffer(16000);
        api_.reset();
        for (size_t i = 0; i < lines.size(); ++i) {
            std::string line = lines[i] + "\r\n";
            api_.write(line.data());
            EXPECT_EQ(api_.lastError(), 0) << lines[i];
            if (i + 1 == lines.size()) {
                api_.flush();
            }
            for (int got = api_.read(buffer.data(), 16000); got > 0;
                 got = api_.read(buffer.data(), 16000)) {
                if (readSizes) {
                    readSizes->push_back(got);
                }
                all.insert(all.end(), buffer.begin(), buffer.begin() + got);
            }
        }
        return all;
    }

    test_support::TempDir dir_;
    std::unique_ptr<void, LibraryCloser> library_;
    Api api_{};
};

TEST_F(MbrSynthApi, SpeaksTheEnginesLinesAndReadsFullBuffersThenTheRest) {
    ASSERT_EQ(open(writeVoice(mbrsynth::encodeVoice(makeVoice()))), 0);
    api_.setNoError(1);
    char info[64];
    EXPECT_GT(api_.databaseInfo(info, sizeof info, 0), 0);
    EXPECT_STREQ(info, "synthetic test voice");
    std::vector<int> readSizes;
    const auto samples = speakLines(
        {"; casa", "_ 50 50 100", "a 1500 80 120", "i 1200", "", "u 100 50 90"}, &readSizes);
    EXPECT_NEAR(static_cast<double>(samples.size()), 2850 * 16.0, 160.0);
    // A full buffer is followed by another read that still finds samples.
    const auto full = std::find(readSizes.begin(), readSizes.end(), 16000);
    ASSERT_NE(full, readSizes.end());
    ASSERT_NE(full + 1, readSizes.end());
    EXPECT_GT(*(full + 1), 0);
    EXPECT_GT(rms(samples, 2000, 20000), 500.0);
}

TEST_F(MbrSynthApi, ReportsErrorsUntilReset) {
    ASSERT_EQ(open(writeVoice(mbrsynth::encodeVoice(makeVoice()))), 0);
    api_.setNoError(0);
    std::string line = "xyz 100\r\n";
    api_.write(line.data());
    EXPECT_EQ(api_.lastError(), MBR_ERROR_UNKNOWN_PHONEME);
    char text[80];
    EXPECT_GT(api_.lastErrorStr(text, sizeof text), 0);
    EXPECT_NE(std::string(text).find("xyz"), std::string::npos);
    api_.reset();
    EXPECT_EQ(api_.lastError(), 0);
    api_.setNoError(1);
    api_.write(line.data());
    EXPECT_EQ(api_.lastError(), 0);
}

TEST_F(MbrSynthApi, OtherSampleFormatsCarryTheSameSignal) {
    ASSERT_EQ(open(writeVoice(mbrsynth::encodeVoice(makeVoice()))), 0);
    const std::vector<std::string> lines = {"a 100 50 100", "i 100 50 130"};
    const auto linear = speakLines(lines);
    for (const int type : {MBR_LIN8, MBR_ULAW, MBR_ALAW}) {
        api_.reset();
        std::string text = "a 100 50 100\r\ni 100 50 130\r\n";
        api_.write(text.data());
        api_.flush();
        std::vector<uint8_t> bytes(linear.size() + 10);
        const int got = api_.readType(bytes.data(), static_cast<int>(bytes.size()), type);
        ASSERT_EQ(got, static_cast<int>(linear.size())) << type;
        const auto loudest = std::max_element(linear.begin(), linear.end()) - linear.begin();
        const uint8_t silence = type == MBR_LIN8 ? 0x80 : type == MBR_ULAW ? 0xFF : 0xD5;
        EXPECT_NE(bytes[static_cast<size_t>(loudest)], silence) << type;
    }
}

TEST_F(MbrSynthApi, RefusesMissingDamagedAndInconsistentDatabases) {
    const auto good = mbrsynth::encodeVoice(makeVoice());
    EXPECT_LT(open(dir_.file("absent")), 0);
    EXPECT_LT(api_.init(nullptr), 0);
    auto truncated = good;
    truncated.resize(good.size() - 2);
    EXPECT_LT(open(writeVoice(truncated)), 0);
    EXPECT_LT(open(writeVoice(std::vector<uint8_t>(5000, 0x5A))), 0);
    auto broken = makeVoice();
    broken.diphones[0].markStart = 1u << 30;
    EXPECT_LT(open(writeVoice(mbrsynth::encodeVoice(broken))), 0);
    char text[120];
    EXPECT_GT(api_.lastErrorStr(text, sizeof text), 0);
    // Nothing is open: the calls answer without effect.
    std::vector<short> buffer(100);
    EXPECT_EQ(api_.read(buffer.data(), 100), 0);
    EXPECT_LT(api_.write(text), 0);
    EXPECT_EQ(open(writeVoice(good)), 0);
}

TEST_F(MbrSynthApi, RateVolumeRenamingAndPhoneRecordsDoWhatTheySay) {
    const std::string path = writeVoice(mbrsynth::encodeVoice(makeVoice()));
    const auto setFreq = symbol<decltype(&setFreq_MBR)>("setFreq_MBR");
    const auto getFreq = symbol<decltype(&getFreq_MBR)>("getFreq_MBR");
    const auto setVolume = symbol<decltype(&setVolumeRatio_MBR)>("setVolumeRatio_MBR");
    const auto initRename = symbol<decltype(&init_rename_MBR)>("init_rename_MBR");
    ASSERT_EQ(open(path), 0);
    const auto plain = speakLines({"a 300 50 100", "i 300 50 100"});

    setVolume(0.5f);
    const auto quiet = speakLines({"a 300 50 100", "i 300 50 100"});
    ASSERT_EQ(quiet.size(), plain.size());
    EXPECT_NEAR(rms(quiet, 0, quiet.size()), rms(plain, 0, plain.size()) / 2, 2.0);

    setFreq(8000);
    EXPECT_EQ(getFreq(), 8000);
    EXPECT_NEAR(static_cast<double>(speakLines({"a 300 50 100", "i 300 50 100"}).size()), 4800, 80);
    setFreq(16000);

    std::string rename = "a A i I";
    std::string clone = "u oo";
    ASSERT_EQ(initRename(const_cast<char *>(path.c_str()), rename.data(), clone.data()), 0);
    api_.setNoError(0);
    speakLines({"A 100", "I 100", "u 100", "oo 100"});
    std::string old = "a 100\r\n";
    api_.write(old.data());
    EXPECT_EQ(api_.lastError(), MBR_ERROR_UNKNOWN_PHONEME);
    std::string unknownOld = "zz ee";
    EXPECT_LT(initRename(const_cast<char *>(path.c_str()), unknownOld.data(), nullptr), 0);

    const auto initPhone = symbol<decltype(&init_Phone)>("init_Phone");
    const auto append = symbol<decltype(&appendf0_Phone)>("appendf0_Phone");
    const auto resetPhone = symbol<decltype(&reset_Phone)>("reset_Phone");
    const auto closePhone = symbol<decltype(&close_Phone)>("close_Phone");
    std::string name = "a";
    void *phone = initPhone(name.data(), 120.0f);
    ASSERT_NE(phone, nullptr);
    for (int i = 0; i < 100; ++i) {
        append(phone, static_cast<float>(i), 110.0f);
    }
    resetPhone(phone);
    closePhone(phone);
    EXPECT_EQ(initPhone(nullptr, 1.0f), nullptr);
    append(nullptr, 1.0f, 1.0f);
    resetPhone(nullptr);
    closePhone(nullptr);
}

} // namespace
