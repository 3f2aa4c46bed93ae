// Phoneme lines as the caller writes them: "name duration [pos% pitch]...",
// ';' starting a comment, '#' alone asking for a flush. Text arrives in
// pieces; LineSplitter keeps an unfinished line until its end comes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mbrsynth {

// Sane ranges: anything outside is clamped to them.
inline constexpr double kMaxDurationMs = 10000.0;
inline constexpr double kMinPitchHz = 40.0;
inline constexpr double kMaxPitchHz = 1000.0;
inline constexpr size_t kMaxPointsPerPhone = 32; // further points are ignored
inline constexpr size_t kMaxLineLength = 4096;   // longer lines are dropped

struct PitchPoint {
    double percent = 0; // 0..100 of the phone's duration
    double hz = 0;
};

struct PhoneLine {
    std::string name;
    double durationMs = 0;
    std::vector<PitchPoint> points; // sorted by position
};

enum class LineKind { Nothing, Flush, Phone, Bad };

struct ParsedLine {
    LineKind kind = LineKind::Nothing;
    PhoneLine phone;
    std::string problem; // why a Bad line was refused
};

ParsedLine parseLine(std::string_view line);

class LineSplitter {
public:
    // Appends text; complete lines go to `lines`, without their ends. A line
    // longer than kMaxLineLength is dropped and counted in overlongLines.
    void append(std::string_view text, std::vector<std::string> &lines);
    // The unfinished line, taken out (a flush completes it).
    std::string takePartial();
    void clear();
    size_t overlongLines() const { return overlong_; }

private:
    std::string pending_;
    bool skippingOverlong_ = false;
    size_t overlong_ = 0;
};

} // namespace mbrsynth
