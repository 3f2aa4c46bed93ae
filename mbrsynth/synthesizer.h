// The synthesizer behind the library calls: phoneme lines in, 16-bit samples
// out. Lines are parsed and checked when written; a phone is rendered when
// its neighbours and the pitch around it are known, and only as far as the
// caller reads, so memory stays bounded by what is queued and one phone.
#pragma once

#include "mbrsynth/output_buffer.h"
#include "mbrsynth/pho_input.h"
#include "mbrsynth/pitch_contour.h"
#include "mbrsynth/psola.h"
#include "mbrsynth/voice.h"

#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace mbrsynth {

enum class ErrorCode : int {
    None = 0,
    DatabaseMissing = -1,
    DatabaseInvalid = -2,
    UnknownPhoneme = -3,
    MissingDiphone = -4,
    BadLine = -5,
    LineTooLong = -6,
    QueueFull = -7,
    BadArgument = -8,
    NotInitialised = -9,
};

// Phones written but not yet rendered; beyond this a line is refused.
inline constexpr size_t kMaxQueuedPhones = 50000;
// How far ahead of a phone's end a pitch point is looked for. Past it the
// pitch holds at the last point until a nearer one is written.
inline constexpr double kPitchLookaheadMs = 2000.0;
// Around the join of the two units that make one phone, grains of both are
// mixed over this span, so that the timbre glides instead of jumping.
inline constexpr double kJoinSmoothingMs = 12.0;
// An utterance is held back until it has ended or this much of it is made:
// then the part made gives the gain that brings it to one loudness.
inline constexpr double kLevellingLookaheadMs = 1500.0;
inline constexpr int kMinOutputRate = 8000;
inline constexpr int kMaxOutputRate = 48000;

class Synthesizer {
public:
    explicit Synthesizer(Voice voice);

    // Queues text holding any number of lines, the last one perhaps unfinished.
    void write(std::string_view text);
    // Ends the utterance: its last phone can be rendered.
    void flush();
    // Up to out.size() samples; 0 when none can be made yet.
    size_t read(std::span<int16_t> out);
    // Drops everything pending and the last error.
    void reset();

    ErrorCode lastError() const { return error_; }
    const std::string &lastErrorText() const { return errorText_; }
    void setNoError(bool on) { noError_ = on; }
    bool noError() const { return noError_; }
    // Clamped to kMinOutputRate..kMaxOutputRate; durations and pitch keep
    // their meaning, the units are played at the new rate.
    void setOutputRate(int rate);
    int outputRate() const { return rate_; }
    void setVolume(float ratio);
    float volume() const { return volume_; }
    // On by default: every utterance at one loudness (see levelling.h).
    // Off, the units are heard at their own level, as soon as made.
    void setLevelling(bool on) { levelling_ = on; }
    Voice &voice() { return voice_; }
    const Voice &voice() const { return voice_; }

private:
    struct QueuedPhone {
        std::optional<uint16_t> phoneme; // none: silence
        double startMs = 0;              // from the utterance's start
        double durationMs = 0;
        uint64_t serial = 0;
        uint64_t utterance = 0;
        bool endsUtterance = false;
        double endMs() const { return startMs + durationMs; }
    };
    // A pitch point of a queued phone, in time order with all the others.
    struct QueuedPoint {
        TimedPitch pitch;
        uint64_t phoneSerial = 0;
        uint64_t utterance = 0;
    };
    struct PhoneSpan {
        int64_t start, join, end; // output sample indices
        UnitHalf left, right;
    };

    void queueLine(const std::string &line);
    void queuePhone(const PhoneLine &line);
    void report(ErrorCode code, const std::string &text, bool excusable);

    bool renderNext();
    bool headIsReady() const;
    const QueuedPoint *pointAfterHead() const;
    PitchContour headContour() const;
    std::optional<uint16_t> silenceOr(std::optional<uint16_t> phoneme) const;
    UnitHalf leftHalf(std::optional<uint16_t> previous, uint16_t phoneme) const;
    UnitHalf rightHalf(uint16_t phoneme, std::optional<uint16_t> next) const;
    void renderPhone(const PhoneSpan &span, const PitchContour &pitch);
    void placeGrain(const PhoneSpan &span, int64_t at, double &period, const PitchContour &pitch);
    GrainMark varyNoise(const UnitHalf &half, const GrainMark &nearest);
    void endUtterance(int64_t endSample);
    std::optional<float> utteranceGain() const;
    int64_t sampleAt(double ms) const;
    uint32_t maxReach() const;

    Voice voice_;
    bool noError_ = false;
    int rate_;
    float volume_ = 1.0f;
    bool levelling_ = true;
    // Where the utterances made but not yet all taken end, oldest first,
    // and the gain of the one being taken, once known.
    std::deque<int64_t> utteranceEnds_;
    std::optional<float> gain_;
    ErrorCode error_ = ErrorCode::None;
    std::string errorText_;

    LineSplitter splitter_;
    std::deque<QueuedPhone> queue_;
    std::deque<QueuedPoint> points_;
    uint64_t nextSerial_ = 0;
    uint64_t utterance_ = 0;
    double queuedEndMs_ = 0;
    std::optional<uint16_t> lastQueued_;

    std::optional<uint16_t> previous_; // phone before the queue's head
    std::optional<TimedPitch> lastPoint_;
    int64_t utteranceStart_ = 0;
    int64_t nextMark_ = 0;
    OutputBuffer out_;
    WindowTables windows_;
    // The last unvoiced grains, and the generator that picks the next.
    std::optional<GrainMark> lastNoise_[3];
    uint32_t noiseSeed_ = 1;
};

} // namespace mbrsynth
