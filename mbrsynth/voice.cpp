#include "mbrsynth/voice.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace mbrsynth {

Voice::Voice(VoiceData data) : data_(std::move(data)) {
    const size_t count = data_.phonemes.size();
    pairIndex_.assign(count * count, -1);
    for (size_t i = 0; i < data_.diphones.size(); ++i) {
        const Diphone &d = data_.diphones[i];
        pairIndex_[d.first * count + d.second] = static_cast<int32_t>(i);
    }
    for (size_t i = 0; i < count; ++i) {
        names_[data_.phonemes[i]] = static_cast<uint16_t>(i);
    }
    silence_ = phoneme("_");
}

namespace {

// A database file read part by part, each part straight into the table it
// fills: the voice is several megabytes, and it was read through a stream
// iterator a byte at a time, then copied, which was most of the engine's
// start.
class FileSource final : public VoiceSource {
public:
    explicit FileSource(const std::string &path) : file_(path, std::ios::binary | std::ios::ate) {
        const std::streamoff end = file_ ? static_cast<std::streamoff>(file_.tellg()) : -1;
        if (end >= 0 && file_.seekg(0)) {
            size_ = static_cast<uint64_t>(end);
            opened_ = true;
        }
    }
    bool opened() const { return opened_; }
    uint64_t size() const override { return size_; }
    bool read(uint8_t *out, size_t count) override {
        return count == 0 || static_cast<bool>(file_.read(reinterpret_cast<char *>(out),
                                                          static_cast<std::streamsize>(count)));
    }

private:
    std::ifstream file_;
    uint64_t size_ = 0;
    bool opened_ = false;
};

} // namespace

std::optional<Voice> Voice::open(const std::string &path, std::string &error) {
    // Only a regular file: a FIFO or a device would hold the reader for ever.
    std::error_code failure;
    if (!std::filesystem::is_regular_file(path, failure)) {
        error = "cannot open the voice database " + path;
        return std::nullopt;
    }
    FileSource file(path);
    if (!file.opened()) {
        error = "cannot open the voice database " + path;
        return std::nullopt;
    }
    auto data = decodeVoice(file, error);
    if (!data) {
        error = path + ": " + error;
        return std::nullopt;
    }
    return Voice(std::move(*data));
}

std::optional<uint16_t> Voice::phoneme(std::string_view name) const {
    const auto found = names_.find(name);
    if (found == names_.end()) {
        return std::nullopt;
    }
    return found->second;
}

const Diphone *Voice::diphone(uint16_t first, uint16_t second) const {
    const size_t count = data_.phonemes.size();
    if (first >= count || second >= count) {
        return nullptr;
    }
    const int32_t index = pairIndex_[first * count + second];
    return index < 0 ? nullptr : &data_.diphones[static_cast<size_t>(index)];
}

const Diphone *Voice::preferSilence(uint16_t phoneme, bool asFirst) const {
    if (silence_) {
        const Diphone *d = asFirst ? diphone(phoneme, *silence_) : diphone(*silence_, phoneme);
        if (d) {
            return d;
        }
    }
    for (const Diphone &d : data_.diphones) {
        if ((asFirst ? d.first : d.second) == phoneme) {
            return &d;
        }
    }
    return nullptr;
}

const Diphone *Voice::anyStartingWith(uint16_t first) const {
    return preferSilence(first, true);
}

const Diphone *Voice::anyEndingWith(uint16_t second) const {
    return preferSilence(second, false);
}

bool Voice::rename(std::string_view pairs, std::string &error) {
    return applyPairs(pairs, false, error);
}

bool Voice::clone(std::string_view pairs, std::string &error) {
    return applyPairs(pairs, true, error);
}

bool Voice::applyPairs(std::string_view pairs, bool keepOld, std::string &error) {
    std::istringstream words{std::string(pairs)};
    std::string oldName;
    std::string newName;
    while (words >> oldName) {
        if (!(words >> newName) || newName.size() > kMaxNameLength) {
            error = "phoneme name list must hold pairs of names of at most 7 characters";
            return false;
        }
        const auto found = phoneme(oldName);
        if (!found) {
            error = "no phoneme named " + oldName + " in the voice";
            return false;
        }
        if (!keepOld) {
            names_.erase(oldName);
        }
        names_[newName] = *found;
    }
    return true;
}

} // namespace mbrsynth
