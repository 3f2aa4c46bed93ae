#include "mbrsynth/synthesizer.h"

#include "mbrsynth/levelling.h"

#include <algorithm>
#include <cmath>

namespace mbrsynth {

Synthesizer::Synthesizer(Voice voice)
    : voice_(std::move(voice)), rate_(static_cast<int>(voice_.sampleRate())) {}

void Synthesizer::write(std::string_view text) {
    std::vector<std::string> lines;
    const size_t overlongBefore = splitter_.overlongLines();
    splitter_.append(text, lines);
    if (splitter_.overlongLines() != overlongBefore) {
        report(ErrorCode::LineTooLong, "a line longer than 4096 characters was dropped", false);
    }
    for (const auto &line : lines) {
        queueLine(line);
    }
}

void Synthesizer::queueLine(const std::string &line) {
    const ParsedLine parsed = parseLine(line);
    switch (parsed.kind) {
    case LineKind::Nothing:
        break;
    case LineKind::Flush:
        flush();
        break;
    case LineKind::Bad:
        report(ErrorCode::BadLine, parsed.problem + ": " + line.substr(0, 64), true);
        break;
    case LineKind::Phone:
        queuePhone(parsed.phone);
        break;
    }
}

void Synthesizer::queuePhone(const PhoneLine &line) {
    if (queue_.size() >= kMaxQueuedPhones) {
        report(ErrorCode::QueueFull, "too many phonemes written without reading; line dropped",
               false);
        return;
    }
    auto phoneme = voice_.phoneme(line.name);
    if (!phoneme) {
        report(ErrorCode::UnknownPhoneme, "unknown phoneme " + line.name.substr(0, 16), true);
        phoneme = silenceOr(std::nullopt);
    } else if (lastQueued_ && !voice_.diphone(*lastQueued_, *phoneme)) {
        report(ErrorCode::MissingDiphone,
               "no diphone " + voice_.data().phonemes[*lastQueued_] + "-" + line.name, true);
    }
    const uint64_t serial = nextSerial_++;
    queue_.push_back({phoneme, queuedEndMs_, line.durationMs, serial, utterance_, false});
    for (const PitchPoint &p : line.points) {
        const double ms = queuedEndMs_ + p.percent * line.durationMs / 100.0;
        points_.push_back({{ms, p.hz}, serial, utterance_});
    }
    queuedEndMs_ += line.durationMs;
    lastQueued_ = phoneme;
}

void Synthesizer::report(ErrorCode code, const std::string &text, bool excusable) {
    if (excusable && noError_) {
        return;
    }
    error_ = code;
    errorText_ = text;
}

void Synthesizer::flush() {
    queueLine(splitter_.takePartial());
    if (!queue_.empty()) {
        queue_.back().endsUtterance = true;
    }
    ++utterance_;
    queuedEndMs_ = 0;
    lastQueued_.reset();
}

size_t Synthesizer::read(std::span<int16_t> out) {
    if (!levelling_) {
        while (out_.finalCount() < out.size() && renderNext()) {
        }
        return out_.take(out, volume_);
    }
    const auto lookahead = static_cast<size_t>(kLevellingLookaheadMs * rate_ / 1000.0);
    while (out_.finalCount() < out.size() + lookahead && renderNext()) {
    }
    if (!gain_) {
        gain_ = utteranceGain();
        if (!gain_) {
            return 0;
        }
    }
    size_t count = out.size();
    if (!utteranceEnds_.empty()) {
        count = std::min(count, static_cast<size_t>(utteranceEnds_.front() - out_.base()));
    }
    const size_t taken = out_.take(out.first(count), volume_ * *gain_);
    if (!utteranceEnds_.empty() && out_.base() >= utteranceEnds_.front()) {
        utteranceEnds_.pop_front();
        gain_.reset();
        if (taken == 0) { // an utterance without samples: the next one may be ready
            return read(out);
        }
    }
    return taken;
}

// The gain of the utterance at the head of the output, from all of it once
// it has ended, or from its first part when it goes on beyond the lookahead;
// nothing while neither is made.
std::optional<float> Synthesizer::utteranceGain() const {
    const auto lookahead = static_cast<size_t>(kLevellingLookaheadMs * rate_ / 1000.0);
    size_t length = 0;
    if (!utteranceEnds_.empty() && out_.finalIndex() >= utteranceEnds_.front()) {
        length = static_cast<size_t>(utteranceEnds_.front() - out_.base());
    } else if (out_.finalCount() >= lookahead) {
        length = lookahead;
    } else {
        return std::nullopt;
    }
    return static_cast<float>(levellingGain(out_.finalSamples(length), rate_, 32768.0f));
}

void Synthesizer::reset() {
    splitter_.clear();
    queue_.clear();
    points_.clear();
    ++utterance_;
    queuedEndMs_ = 0;
    lastQueued_.reset();
    previous_.reset();
    lastPoint_.reset();
    error_ = ErrorCode::None;
    errorText_.clear();
    utteranceStart_ = 0;
    nextMark_ = 0;
    out_.restartAt(0);
    utteranceEnds_.clear();
    gain_.reset();
    std::fill(std::begin(lastNoise_), std::end(lastNoise_), std::nullopt);
    noiseSeed_ = 1;
}

void Synthesizer::setOutputRate(int rate) {
    rate_ = std::clamp(rate, kMinOutputRate, kMaxOutputRate);
}

void Synthesizer::setVolume(float ratio) {
    volume_ = std::isfinite(ratio) ? std::clamp(ratio, 0.0f, 16.0f) : 1.0f;
}

// The first pitch point of the phones after the head, if any is queued.
const Synthesizer::QueuedPoint *Synthesizer::pointAfterHead() const {
    const uint64_t head = queue_.front().serial;
    for (const QueuedPoint &point : points_) {
        if (point.phoneSerial > head) {
            return &point;
        }
    }
    return nullptr;
}

// A phone can be rendered once the phone after it is known (or the utterance
// ends with it) and the pitch over it no longer depends on lines to come: a
// later point is queued, the utterance is complete, or the queue reaches past
// the lookahead, beyond which later points are not waited for.
bool Synthesizer::headIsReady() const {
    if (queue_.empty()) {
        return false;
    }
    const QueuedPhone &head = queue_.front();
    const QueuedPhone &last = queue_.back();
    const QueuedPoint *next = pointAfterHead();
    return head.endsUtterance || (next && next->utterance == head.utterance) ||
           last.utterance != head.utterance || last.endsUtterance ||
           last.startMs >= head.endMs() + kPitchLookaheadMs;
}

// The head's own points, the last point before it, and the first point after
// it when that lies in the same utterance within the lookahead.
PitchContour Synthesizer::headContour() const {
    const QueuedPhone &head = queue_.front();
    std::vector<TimedPitch> points;
    if (lastPoint_) {
        points.push_back(*lastPoint_);
    }
    for (const QueuedPoint &point : points_) {
        if (point.phoneSerial != head.serial) {
            break;
        }
        points.push_back(point.pitch);
    }
    const QueuedPoint *next = pointAfterHead();
    if (next && next->utterance == head.utterance &&
        next->pitch.ms <= head.endMs() + kPitchLookaheadMs) {
        points.push_back(next->pitch);
    }
    return PitchContour(std::move(points), voice_.data().defaultPitch);
}

std::optional<uint16_t> Synthesizer::silenceOr(std::optional<uint16_t> phoneme) const {
    return phoneme ? phoneme : voice_.phoneme("_");
}

UnitHalf Synthesizer::leftHalf(std::optional<uint16_t> previous, uint16_t phoneme) const {
    const auto before = silenceOr(previous);
    const Diphone *unit = before ? voice_.diphone(*before, phoneme) : nullptr;
    if (!unit) {
        unit = voice_.anyEndingWith(phoneme);
    }
    return unit ? UnitHalf{unit, unit->boundary, unit->sampleCount} : UnitHalf{};
}

UnitHalf Synthesizer::rightHalf(uint16_t phoneme, std::optional<uint16_t> next) const {
    const auto after = silenceOr(next);
    const Diphone *unit = after ? voice_.diphone(phoneme, *after) : nullptr;
    if (!unit) {
        unit = voice_.anyStartingWith(phoneme);
    }
    return unit ? UnitHalf{unit, 0, unit->boundary} : UnitHalf{};
}

int64_t Synthesizer::sampleAt(double ms) const {
    return utteranceStart_ + std::llround(ms * rate_ / 1000.0);
}

uint32_t Synthesizer::maxReach() const {
    return voice_.sampleRate() / 40;
}

bool Synthesizer::renderNext() {
    if (!headIsReady()) {
        return false;
    }
    const QueuedPhone head = queue_.front();
    const PitchContour pitch = headContour();
    PhoneSpan span{sampleAt(head.startMs), 0, sampleAt(head.endMs()), {}, {}};
    if (head.phoneme) {
        const auto next = head.endsUtterance ? std::nullopt : queue_[1].phoneme;
        span.left = leftHalf(previous_, *head.phoneme);
        span.right = rightHalf(*head.phoneme, next);
    }
    const uint32_t total = span.left.length() + span.right.length();
    const double leftShare = total ? static_cast<double>(span.left.length()) / total : 0.5;
    span.join = span.start + std::llround(static_cast<double>(span.end - span.start) * leftShare);
    renderPhone(span, pitch);
    while (!points_.empty() && points_.front().phoneSerial == head.serial) {
        lastPoint_ = points_.front().pitch;
        points_.pop_front();
    }
    previous_ = head.phoneme;
    queue_.pop_front();
    if (head.endsUtterance) {
        endUtterance(span.end);
    }
    return true;
}

void Synthesizer::renderPhone(const PhoneSpan &span, const PitchContour &pitch) {
    if (!span.left.unit && !span.right.unit) {
        nextMark_ = std::max(nextMark_, span.end);
    }
    while (nextMark_ < span.end) {
        double period = 0;
        placeGrain(span, nextMark_, period, pitch);
        nextMark_ += std::max<int64_t>(1, std::llround(period));
    }
    out_.markFinal(std::min(span.end, nextMark_ - static_cast<int64_t>(maxReach())));
}

// One synthesis mark: the grain (or the mix of grains near the join) for
// output sample `at`, and the distance to the next mark.
void Synthesizer::placeGrain(const PhoneSpan &span, int64_t at, double &period,
                             const PitchContour &pitch) {
    const VoiceData &data = voice_.data();
    const bool onLeft = at < span.join && span.left.unit;
    const UnitHalf &half = onLeft || !span.right.unit ? span.left : span.right;
    const int64_t from = onLeft || !span.right.unit ? span.start : span.join;
    const int64_t to = onLeft || !span.right.unit ? span.join : span.end;
    const double progress =
        to > from ? static_cast<double>(at - from) / static_cast<double>(to - from) : 0.0;
    auto main = nearestMark(data, half, half.from + progress * half.length(), maxReach());
    const double scale = static_cast<double>(rate_) / voice_.sampleRate();
    if (!main) {
        period = 0.005 * rate_; // a unit without marks stays silent
        return;
    }
    if (!main->voiced) {
        main = varyNoise(half, *main);
    }
    const double ms = static_cast<double>(at - utteranceStart_) * 1000.0 / rate_;
    period = main->voiced ? rate_ / pitch.at(ms) : main->right * scale;

    const double zone = kJoinSmoothingMs * rate_ / 1000.0;
    const double fromJoin = static_cast<double>(at - span.join);
    if (!span.left.unit || !span.right.unit || std::abs(fromJoin) >= zone) {
        overlapAdd(out_, windows_, at, data, *main, 1.0f);
        return;
    }
    // Near the join: the other half's edge grain fades in as this one fades out.
    const double rightWeight = 0.5 + 0.5 * fromJoin / zone;
    const auto other = edgeMark(data, onLeft ? span.right : span.left, !onLeft, maxReach());
    const float mainWeight = static_cast<float>(onLeft ? 1.0 - rightWeight : rightWeight);
    overlapAdd(out_, windows_, at, data, *main, other ? mainWeight : 1.0f);
    if (other) {
        overlapAdd(out_, windows_, at, data, *other, 1.0f - mainWeight);
    }
}

// Noise stretched beyond its recorded length would take the same grain
// again and again and buzz at the grain rate: a grain near the wanted one is
// drawn instead, forwards or backwards, never one of the last three.
GrainMark Synthesizer::varyNoise(const UnitHalf &half, const GrainMark &nearest) {
    const auto usedLately = [this](const GrainMark &m) {
        return std::any_of(std::begin(lastNoise_), std::end(lastNoise_),
                           [&m](const auto &last) { return last && last->sameGrain(m); });
    };
    GrainMark chosen = nearest;
    for (int attempt = 0; attempt < 8 && usedLately(chosen); ++attempt) {
        noiseSeed_ = noiseSeed_ * 1664525u + 1013904223u;
        const int step = static_cast<int>((noiseSeed_ >> 16) % 7) - 3;
        chosen = neighbourMark(voice_.data(), half, nearest, step, maxReach()).value_or(nearest);
        chosen.reversed = (noiseSeed_ >> 30) & 1;
    }
    std::shift_right(std::begin(lastNoise_), std::end(lastNoise_), 1);
    lastNoise_[0] = chosen;
    return chosen;
}

void Synthesizer::endUtterance(int64_t endSample) {
    nextMark_ = std::max(nextMark_, endSample);
    out_.cutAt(endSample);
    out_.markFinal(endSample);
    utteranceEnds_.push_back(endSample);
    utteranceStart_ = endSample;
    nextMark_ = endSample;
    previous_.reset();
    lastPoint_.reset();
}

} // namespace mbrsynth
