// The generated native voice: its index is sorted and points inside the
// samples file, every unit is audible and unclipped, it holds the units the
// synthesizer's fallbacks end in, and every unit the game's words ask for.
#include "tools/voicebuild/unit_names.h"
#include "tradutor/diphone/translator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kDiphoneDir = fs::path(ZEB_TEST_DATA_ROOT) / "talvek" / "som" / "difones";
const fs::path kWordList =
    fs::path(ZEB_TEST_DATA_ROOT) / "talvek" / "som" / "quibo2" / "galdrino.pal";
constexpr size_t kRecordBytes = 15;
constexpr size_t kMaxName = 8;
// A unit whose samples never move further than this from the midpoint 128
// is inaudible at the game's volume.
constexpr int kAudibleSwing = 12;

struct Record {
    std::string name;
    uint32_t length = 0;
    int32_t offset = 0;
};

std::vector<uint8_t> readBytes(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<Record> readIndex(const std::vector<uint8_t> &bytes) {
    std::vector<Record> records;
    for (size_t at = 0; at + kRecordBytes <= bytes.size(); at += kRecordBytes) {
        Record record;
        const size_t length = std::min<size_t>(bytes[at], kMaxName);
        record.name.assign(reinterpret_cast<const char *>(&bytes[at + 1]), length);
        record.length = static_cast<uint32_t>(bytes[at + 9] | bytes[at + 10] << 8);
        record.offset = static_cast<int32_t>(static_cast<uint32_t>(bytes[at + 11]) |
                                             static_cast<uint32_t>(bytes[at + 12]) << 8 |
                                             static_cast<uint32_t>(bytes[at + 13]) << 16 |
                                             static_cast<uint32_t>(bytes[at + 14]) << 24);
        records.push_back(record);
    }
    return records;
}

class VoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        indexBytes = readBytes(kDiphoneDir / "ZEBVOZ.IND");
        samples = readBytes(kDiphoneDir / "ZEBVOZ.DIF");
        records = readIndex(indexBytes);
        ASSERT_FALSE(records.empty()) << "no voice in " << kDiphoneDir;
    }

    std::set<std::string> names() const {
        std::set<std::string> result;
        for (const auto &record : records) {
            result.insert(record.name);
        }
        return result;
    }

    std::vector<uint8_t> indexBytes;
    std::vector<uint8_t> samples;
    std::vector<Record> records;
};

TEST_F(VoiceTest, IndexIsWholeRecordsWithUpperCaseNames) {
    EXPECT_EQ(indexBytes.size() % kRecordBytes, 0u);
    for (size_t at = 0; at < indexBytes.size(); at += kRecordBytes) {
        EXPECT_GE(indexBytes[at], 2) << "record " << at / kRecordBytes;
        EXPECT_LE(indexBytes[at], kMaxName) << "record " << at / kRecordBytes;
    }
    for (const auto &record : records) {
        EXPECT_EQ(record.name[0], '$') << record.name;
        EXPECT_TRUE(std::none_of(record.name.begin(), record.name.end(), [](char c) {
            return c >= 'a' && c <= 'z';
        })) << record.name;
    }
}

// The synthesizer finds units by bisection: byte order, a prefix first, no
// name twice.
TEST_F(VoiceTest, IndexIsSortedWithoutRepeats) {
    for (size_t i = 1; i < records.size(); ++i) {
        EXPECT_LT(records[i - 1].name, records[i].name) << "record " << i;
    }
}

TEST_F(VoiceTest, EveryRecordLiesInsideTheSamples) {
    for (const auto &record : records) {
        EXPECT_GT(record.length, 0u) << record.name;
        ASSERT_GE(record.offset, 0) << record.name;
        EXPECT_LE(static_cast<size_t>(record.offset) + record.length, samples.size())
            << record.name;
    }
}

TEST_F(VoiceTest, EveryUnitIsAudibleAndUnclipped) {
    for (const auto &record : records) {
        const size_t begin = static_cast<size_t>(record.offset);
        if (begin + record.length > samples.size()) {
            continue; // reported by EveryRecordLiesInsideTheSamples
        }
        int swing = 0;
        size_t clipped = 0;
        for (size_t i = begin; i < begin + record.length; ++i) {
            swing = std::max(swing, std::abs(static_cast<int>(samples[i]) - 128));
            clipped += (samples[i] == 0 || samples[i] == 255) ? 1 : 0;
        }
        EXPECT_GE(swing, kAudibleSwing) << record.name << " is silent";
        EXPECT_EQ(clipped, 0u) << record.name << " is clipped";
    }
}

// A unit is 8-bit at 11025 Hz: a syllable lasts tens of milliseconds to
// about half a second, never whole seconds.
TEST_F(VoiceTest, UnitsLastLikeSyllables) {
    for (const auto &record : records) {
        EXPECT_LT(record.length, 11025u / 2) << record.name;
    }
}

// Where a longer name is missing, the synthesizer falls back to single
// vowels, closed and nasal vowels, consonants and the nasal murmur.
TEST_F(VoiceTest, HoldsTheUnitsFallbacksEndIn) {
    const auto held = names();
    for (const char *name :
         {"$A",     "$E",     "$I",    "$O",    "$U",    "$W",    "$Y",     "$ACIRC",
          "$ECIRC", "$OCIRC", "$ATIL", "$ETIL", "$ITIL", "$OTIL", "$UTIL",  "$NN",
          "$B",     "$D",     "$G",    "$K",    "$P",    "$T",    "$S",     "$R",
          "$L",     "$M",     "$N",    "$RR",   "$NH",   "$TCH",  "$DJ",    "$KS",
          "$KA",    "$TCHI",  "$DJI",  "$NHA",  "$RRA",  "$KWA",  "$AWTIL", "$KACIRC"}) {
        EXPECT_TRUE(held.contains(name)) << name;
    }
}

std::vector<std::string> readWordList() {
    std::ifstream in(kWordList, std::ios::binary);
    std::vector<std::string> words;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            words.push_back(line);
        }
    }
    return words;
}

// Every word the game can draw is spoken at the end of a round: each unit its
// translation asks for must be in the voice, none left to a fallback.
TEST_F(VoiceTest, AnswersEveryUnitOfTheGamesWords) {
    namespace translator = diphone::translator;
    ASSERT_TRUE(translator::loadRules((kDiphoneDir / "regras.rgr").string()));
    ASSERT_TRUE(translator::loadExceptions((kDiphoneDir / "portug.exc").string()));
    const auto words = readWordList();
    ASSERT_GE(words.size(), 200u);
    const auto held = names();
    size_t lookups = 0;
    for (const auto &word : words) {
        const std::string phonemes = translator::translateText(word);
        for (const auto &name : voicebuild::lookupNames(phonemes)) {
            ++lookups;
            EXPECT_TRUE(held.contains(voicebuild::upperAscii(name)))
                << word << " " << phonemes << ": " << name << " is missing";
        }
    }
    translator::freeRules();
    EXPECT_GE(lookups, 2 * words.size());
}

// The shortening of unstressed units at the speed the game speaks at, from
// the installed configuration.
size_t gameUnitCut() {
    std::ifstream in(fs::path(ZEB_TEST_DATA_ROOT) / "windows" / "ZEBUNA.INI", std::ios::binary);
    const std::string key = "CORTEFON3=";
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(key)) {
            return std::stoul(line.substr(key.size()));
        }
    }
    return 0;
}

// Where the synthesizer stops a unit short (the first part of a diphthong,
// as in banheiro and desenhei, or a syllable before its plural s) the next
// unit starts from silence: the shortened unit must end in silence too, or
// the step between them clicks. Checked for every such join of the game's
// words at the game's speed.
TEST_F(VoiceTest, UnitsPlayedShortEndQuietWhereTheNextBegins) {
    namespace translator = diphone::translator;
    ASSERT_TRUE(translator::loadRules((kDiphoneDir / "regras.rgr").string()));
    ASSERT_TRUE(translator::loadExceptions((kDiphoneDir / "portug.exc").string()));
    std::vector<std::string> phonemes;
    for (const auto &word : readWordList()) {
        phonemes.push_back(translator::translateText(word));
    }
    for (const char *word : {"banheiro", "desenhei", "casas", "pais"}) {
        phonemes.push_back(translator::translateText(word));
    }
    translator::freeRules();
    std::map<std::string, Record> byName;
    for (const auto &record : records) {
        byName[record.name] = record;
    }
    constexpr int kQuietSwing = 2; // rounding to 8 bits
    constexpr size_t kQuietSamples = 4;
    const size_t unitCut = gameUnitCut();
    EXPECT_GT(unitCut, 0u) << "no CORTEFON3 in the installed ZEBUNA.INI";
    size_t joins = 0;
    for (const auto &[name, plays] : voicebuild::shortPlays(phonemes)) {
        const auto found = byName.find(name);
        if (found == byName.end()) {
            continue; // a fallback, reported by AnswersEveryUnitOfTheGamesWords
        }
        const Record &record = found->second;
        for (const auto &play : plays) {
            const auto end = voicebuild::shortPlayEnd(record.length, play, unitCut);
            if (!end || *end < kQuietSamples) {
                continue; // nothing of the unit is played
            }
            ++joins;
            for (size_t i = *end - kQuietSamples; i < *end; ++i) {
                const int value = samples[static_cast<size_t>(record.offset) + i];
                EXPECT_LE(std::abs(value - 128), kQuietSwing)
                    << name << " played at " << play.share << " stops on " << value;
            }
        }
    }
    EXPECT_GE(joins, 10u);
}

using Names = std::vector<std::string>;

// The voice is checked against the names the synthesizer asks for; these
// are the cases where its decomposition of a group matters.
TEST(VoiceUnitNames, GroupsDecomposeAsTheSynthesizerDoes) {
    EXPECT_EQ(voicebuild::lookupNames("[pra]"), (Names{"$p", "$ra"}));
    EXPECT_EQ(voicebuild::lookupNames("[ k/A/ z/a]"), (Names{"$kA", "$za"}));
    EXPECT_EQ(voicebuild::lookupNames("[as]"), (Names{"$a", "$s"}));
    EXPECT_EQ(voicebuild::lookupNames("[karr]"), (Names{"$ka", "$rr"}));
    EXPECT_EQ(voicebuild::lookupNames("[tchi/nhA]"), (Names{"$tchinhA"}));
    EXPECT_EQ(voicebuild::lookupNames("[ka~w]"), (Names{"$kaCIRC", "$awTIL"}));
    EXPECT_EQ(voicebuild::lookupNames("[ke^y]"), (Names{"$keCIRC", "$eyCIRC"}));
    EXPECT_EQ(voicebuild::lookupNames("[ /_b][ /_,]"), Names{});
    // A group of nine characters ends at the next separator: "a" is a group
    // of its own.
    EXPECT_EQ(voicebuild::lookupNames("[bababab/ab/a]"), (Names{"$babababa", "$b", "$a"}));
}

TEST(VoiceUnitNames, MissingNamesFallBackToSmallerOnes) {
    EXPECT_EQ(voicebuild::fallbackNames("$kwa"), (Names{"$kw", "$a"}));
    EXPECT_EQ(voicebuild::fallbackNames("$kaCIRC"), (Names{"$k", "$aCIRC"}));
    EXPECT_EQ(voicebuild::fallbackNames("$kaTIL"), (Names{"$kaCIRC", "$nn"}));
    EXPECT_EQ(voicebuild::fallbackNames("$kiTIL"), (Names{"$ki", "$nn"}));
    EXPECT_EQ(voicebuild::fallbackNames("$k"), Names{});
    EXPECT_EQ(voicebuild::fallbackNames("$kar"), Names{});
    const auto resolution = voicebuild::resolve("$kwaTIL", {"$K", "$ACIRC", "$NN"});
    // "$kwaCIRC" falls to "$kw" and "$aCIRC", "$kw" to "$k" and "$w", and the
    // missing "$w" is a noise burst.
    EXPECT_EQ(resolution.played, (Names{"$K", "$ACIRC", "$NN"}));
    EXPECT_TRUE(resolution.noise);
    EXPECT_FALSE(resolution.silent);
}

} // namespace
