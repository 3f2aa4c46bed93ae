#include "tools/voicebuild/voice_files.h"

#include "tools/voicebuild/unit_names.h"
#include "tools/wavconv/wav_io.h"

#include <limits>

namespace voicebuild {
namespace {

void putLittleEndian(std::vector<uint8_t> &out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

} // namespace

bool writeVoice(const std::string &stem, const UnitSamples &units, std::string &error) {
    std::vector<uint8_t> index;
    std::vector<uint8_t> samples;
    // std::map orders its keys byte by byte with a prefix first: the index's order.
    for (const auto &[name, unit] : units) {
        if (name.empty() || name.size() > kMaxIndexName) {
            error = "unit name '" + name + "' does not fit an index record";
            return false;
        }
        if (unit.empty() || unit.size() > std::numeric_limits<uint16_t>::max()) {
            error = "unit " + name + " has " + std::to_string(unit.size()) + " samples";
            return false;
        }
        if (samples.size() + unit.size() >
            static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
            error = "the samples file would pass 2 GiB";
            return false;
        }
        index.push_back(static_cast<uint8_t>(name.size()));
        for (size_t i = 0; i < kMaxIndexName; ++i) {
            index.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
        }
        putLittleEndian(index, static_cast<uint32_t>(unit.size()), 2);
        putLittleEndian(index, static_cast<uint32_t>(samples.size()), 4);
        samples.insert(samples.end(), unit.begin(), unit.end());
    }
    return wavkit::writeFileAtomically(stem + ".DIF", samples, error) &&
           wavkit::writeFileAtomically(stem + ".IND", index, error);
}

} // namespace voicebuild
