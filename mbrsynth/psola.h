// Pitch-synchronous overlap-add: one grain is one period of a unit around a
// pitch mark, shaped by a raised-cosine window that reaches from the mark
// before to the mark after, and added to the output centred on a synthesis
// mark. Spacing the synthesis marks by the wanted period sets the pitch;
// choosing which analysis mark each one takes sets the timing.
#pragma once

#include "mbrsynth/output_buffer.h"
#include "mbrsynth/voice_db.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace mbrsynth {

// One half of a unit: the samples [from, to) of `unit`.
struct UnitHalf {
    const Diphone *unit = nullptr;
    uint32_t from = 0;
    uint32_t to = 0;
    uint32_t length() const { return to - from; }
};

struct GrainMark {
    const Diphone *unit = nullptr;
    uint32_t position = 0; // inside the unit
    uint32_t left = 0;     // window reach before and after the mark
    uint32_t right = 0;
    bool voiced = false;
    bool reversed = false; // played backwards (only ever noise)
    bool sameGrain(const GrainMark &other) const {
        return unit == other.unit && position == other.position && reversed == other.reversed;
    }
};

// The unit's mark nearest to `position` among those inside the half (or
// nearest overall when the half holds none); nothing for a unit without marks.
std::optional<GrainMark> nearestMark(const VoiceData &voice, const UnitHalf &half, double position,
                                     uint32_t maxReach);

// The half's mark closest to its joining edge: its last for a left half that
// ends at the join (atEnd), its first otherwise.
std::optional<GrainMark> edgeMark(const VoiceData &voice, const UnitHalf &half, bool atEnd,
                                  uint32_t maxReach);

// The mark `step` places after (before, when negative) `mark` among the
// half's marks; nothing past the half's ends.
std::optional<GrainMark> neighbourMark(const VoiceData &voice, const UnitHalf &half,
                                       const GrainMark &mark, int step, uint32_t maxReach);

// Raised-cosine window halves, 0.5 (1 + cos(pi k / reach)) for k = 0 ..
// reach - 1, one table per reach, made on first use: the window is taken for
// every sample of every grain, far too often to evaluate the cosine.
class WindowTables {
public:
    // Stays valid while the object lives: adding a table moves the others'
    // vectors, never their samples.
    const float *forReach(uint32_t reach);

private:
    std::vector<std::vector<float>> tables_; // by reach
};

// Adds the grain around `mark`, windowed and weighted, centred on output
// sample `centre`; what lies before the output's complete part is left out.
void overlapAdd(OutputBuffer &out, WindowTables &windows, int64_t centre, const VoiceData &voice,
                const GrainMark &mark, float weight);

} // namespace mbrsynth
