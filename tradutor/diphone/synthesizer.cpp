// Speaking a phoneme string: the units of each group (phoneme_units.h)
// played from the voice's recordings, pieces for units the voice lacks, and
// the pauses between words and for punctuation.
#include "tradutor/diphone/synthesizer.h"

#include "tradutor/diphone/phoneme_units.h"
#include "tradutor/diphone/synthesizer_output.h"
#include "tradutor/diphone/synthesizer_voice.h"
#include "tradutor/diphone/translator.h"

#include <algorithm>
#include <string_view>

namespace diphone::synth {
namespace {

// Only Stressed changes anything: units emitted while a stressed vowel is
// being spoken are not cut.
enum class Accent { AfterStress, WordStart, Stressed };

struct Timing {
    int32_t unitCut = 400;
    int32_t unitKeep = 0;
    int32_t wordGap = 100;
};

struct State {
    Timing timing;
    Accent accent = Accent::WordStart; // of the phoneme string being spoken
};

State state;

// Samples of silence for a pause mark (units::isPauseGroup).
int32_t punctuationPause(char mark) {
    switch (mark) {
    case ',':
        return 4000;
    case ';':
        return 6000;
    default: // . and :
        return 8000;
    }
}

// Appends the unit's samples, shortened when it is unstressed and scaled by
// `factor`; false when the index does not hold the name.
bool emitIndexed(const std::string &name, Accent accent, double factor) {
    const auto unit = voice::findUnit(name);
    if (!unit)
        return false;
    int64_t length = unit->length;
    if (accent != Accent::Stressed && name.size() > 2) {
        length -= state.timing.unitCut;
        if (length < state.timing.unitKeep)
            length = std::min<int64_t>(unit->length, state.timing.unitKeep);
    }
    const double scaled = static_cast<double>(length) * factor;
    const auto count =
        static_cast<size_t>(std::clamp(scaled, 0.0, static_cast<double>(output::MaxChunkSamples)));
    const auto room = output::makeRoom(count);
    voice::readSamples(unit->offset, room);
    output::commit(room.size());
    return true;
}

// Plays a unit by name or, when the voice lacks it, by the pieces it can be
// made of; a missing name of one or two characters sounds as noise.
void emitDiphone(std::string name, Accent accent, double factor) {
    name.resize(std::min(name.size(), units::NameCapacity));
    const bool found =
        name.starts_with('_') ? voice::emitLetterWave(name) : emitIndexed(name, accent, factor);
    if (found)
        return;
    if (name.size() <= 2) {
        output::emitNoise();
        return;
    }
    for (const units::Piece &piece : units::fallbackPieces(name)) {
        using PieceAccent = units::Piece::Accent;
        const Accent pieceAccent = piece.accent == PieceAccent::Stressed    ? Accent::Stressed
                                   : piece.accent == PieceAccent::WordStart ? Accent::WordStart
                                                                            : accent;
        emitDiphone(piece.name, pieceAccent,
                    piece.ofNameShare ? piece.share * factor : piece.share);
    }
}

// The names of a unit; units emitted while a stressed vowel is being spoken
// are not cut.
void emitUnit(std::string_view unit, double factor) {
    bool stressed = false;
    units::unitNames(unit, [&](const std::string &name, bool stressedSoFar) {
        if (stressedSoFar) {
            state.accent = Accent::Stressed;
            stressed = true;
        }
        emitDiphone(name, state.accent, factor);
    });
    if (stressed)
        state.accent = Accent::AfterStress;
}

} // namespace

int32_t openVoice() {
    if (!voice::openVoiceFiles())
        return 1;
    const std::string directory = voice::diphoneDirectory();
    if (!translator::loadRules(directory + "regras.rgr") ||
        !translator::loadExceptions(directory + "portug.exc"))
        return 2;
    output::allocate();
    return 0;
}

void closeVoice() {
    output::release();
    translator::freeRules();
    voice::closeVoiceFiles();
}

void setSynthTiming(int32_t cut, int32_t keep, int32_t gap) {
    state.timing = Timing{cut, keep, gap};
}

void setVoiceName(const std::string &name) {
    voice::setVoiceName(name);
}

std::string voiceName() {
    return voice::voiceName();
}

std::string lettersDirectory() {
    return voice::lettersDirectory();
}

// Words are followed by the word gap, except the last one; groups ended by a
// blank inside a word follow each other directly. A spelled punctuation mark
// is its pause.
void speakPhonemes(const std::string &phonemes, bool noPunctuationPauses) {
    if (!output::allocated())
        return;
    state.accent = Accent::WordStart;
    output::clear();
    units::GroupReader reader(phonemes);
    while (!reader.atEnd()) {
        bool opensWord = false;
        const std::string group = reader.next(opensWord);
        if (opensWord)
            state.accent = Accent::WordStart;
        if (!noPunctuationPauses && units::isPauseGroup(group))
            output::emitSilence(punctuationPause(group[1]));
        else
            units::splitGroup(group, 1.0, emitUnit);
        const size_t position = reader.position();
        if (position < phonemes.size() && phonemes[position - 1] != ' ')
            output::emitSilence(state.timing.wordGap);
    }
    output::flushOutput();
    state.accent = Accent::WordStart;
}

} // namespace diphone::synth
