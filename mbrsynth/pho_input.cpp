#include "mbrsynth/pho_input.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace mbrsynth {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) {
            ++i;
        }
        const size_t start = i;
        while (i < line.size() && !isBlank(line[i])) {
            ++i;
        }
        if (i > start) {
            out.push_back(line.substr(start, i - start));
        }
    }
    return out;
}

std::optional<double> number(std::string_view word) {
    double value = 0;
    const auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (failure != std::errc() || end != word.data() + word.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::vector<PitchPoint> pitchPoints(const std::vector<std::string_view> &items) {
    std::vector<PitchPoint> points;
    for (size_t i = 2; i + 1 < items.size() && points.size() < kMaxPointsPerPhone; i += 2) {
        const auto percent = number(items[i]);
        const auto hz = number(items[i + 1]);
        if (percent && hz) {
            points.push_back(
                {std::clamp(*percent, 0.0, 100.0), std::clamp(*hz, kMinPitchHz, kMaxPitchHz)});
        }
    }
    std::stable_sort(points.begin(), points.end(), [](const PitchPoint &a, const PitchPoint &b) {
        return a.percent < b.percent;
    });
    return points;
}

} // namespace

ParsedLine parseLine(std::string_view line) {
    ParsedLine parsed;
    line = line.substr(0, std::min(line.find(';'), line.size()));
    const auto items = words(line);
    if (items.empty()) {
        return parsed;
    }
    if (items.size() == 1 && items[0] == "#") {
        parsed.kind = LineKind::Flush;
        return parsed;
    }
    const auto duration = items.size() >= 2 ? number(items[1]) : std::nullopt;
    if (!duration) {
        parsed.kind = LineKind::Bad;
        parsed.problem = "phoneme line without a duration";
        return parsed;
    }
    parsed.kind = LineKind::Phone;
    parsed.phone.name = std::string(items[0]);
    parsed.phone.durationMs = std::clamp(*duration, 0.0, kMaxDurationMs);
    parsed.phone.points = pitchPoints(items);
    return parsed;
}

void LineSplitter::append(std::string_view text, std::vector<std::string> &lines) {
    for (const char c : text) {
        if (c == '\n') {
            if (!skippingOverlong_) {
                lines.push_back(pending_);
            }
            pending_.clear();
            skippingOverlong_ = false;
        } else if (!skippingOverlong_) {
            if (pending_.size() >= kMaxLineLength) {
                pending_.clear();
                skippingOverlong_ = true;
                ++overlong_;
            } else {
                pending_ += c;
            }
        }
    }
}

std::string LineSplitter::takePartial() {
    std::string partial = skippingOverlong_ ? std::string() : std::move(pending_);
    clear();
    return partial;
}

void LineSplitter::clear() {
    pending_.clear();
    skippingOverlong_ = false;
}

} // namespace mbrsynth
