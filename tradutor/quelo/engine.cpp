// The engine front: the order of the initialisation steps and of the stages
// of an utterance, the output file and shutdown.
#include "tradutor/quelo/engine.h"

#include "platform/cp1252_literal.h"
#include "tradutor/quelo/mbrola_driver.h"
#include "tradutor/quelo/normalise.h"
#include "tradutor/quelo/rules.h"
#include "tradutor/speech/wave_player.h"

#include <algorithm>
#include <array>
#include <optional>

using namespace platform::literals;

namespace quelo {
namespace {

constexpr const char *DatabaseKey = "SOFTWARE\\TCTS\\Mbrola\\databases\\";
constexpr const char *DefaultDatabasePath = "c:\\talvek\\quelotts\\br4";

struct Engine {
    std::string outputFileName;
    bool writingToFile = false;
    std::string errorText;
    double pitchFactor = 1.0;
    double durationFactor = 1.0;
    platform::File output;
    bool outputComplete = false; // every write to the output file, its header last, succeeded
    bool ready = false;
};

Engine engine;

std::string orDefault(const std::string &value, const char *fallback) {
    return value.empty() ? std::string(fallback) : value;
}

bool fail(const std::string &message) {
    engine.errorText = message.substr(0, MaxErrorText);
    return false;
}

std::string databasePath(const std::string &database) {
    std::string path = database;
    std::string value;
    if (readRegistryString(platform::RegistryRoot::LocalMachine, DatabaseKey + database + "\\",
                           value))
        path = value;
    return path.empty() ? std::string(DefaultDatabasePath) : path;
}

bool writeHeader(platform::File &file, uint32_t dataLength) {
    std::array<uint8_t, wave::HeaderSize> header{};
    buildMbrolaHeader(header.data(), dataLength);
    return file.write(header.data(), header.size()) == header.size();
}

bool openOutputFile() {
    if (engine.outputFileName.empty()) {
        engine.writingToFile = false;
        return true;
    }
    if (!engine.output.open(engine.outputFileName, "wb"))
        return fail("Arquivo de saída não pode ser criado"_cp1252);
    if (!writeHeader(engine.output, 0)) {
        engine.output.close();
        return fail("Arquivo de saída não pode ser criado"_cp1252);
    }
    engine.writingToFile = true;
    return true;
}

// The header rewritten with the length of everything appended after it.
// The file is complete when every write to it succeeded, this one too.
bool finishOutputFile() {
    const bool appended = engine.output.good();
    if (!engine.output.close() || !appended)
        return false;
    platform::File file;
    if (!file.open(engine.outputFileName, "r+b"))
        return false;
    const int64_t size = file.size();
    return size >= static_cast<int64_t>(wave::HeaderSize) && file.seek(0) &&
           writeHeader(file,
                       static_cast<uint32_t>(size - static_cast<int64_t>(wave::HeaderSize))) &&
           file.close();
}

// A text of blanks and control characters only is not spoken at all.
bool isBlankText(const std::string &text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<uint8_t>(c) <= ' '; });
}

// The stages of an utterance run a token at a time, each line passed on as
// soon as what follows it is known, so that the first samples come after the
// first words whatever the text's length, and memory does not grow with it.
class StreamingUtterance {
public:
    explicit StreamingUtterance(const std::string &normalised)
        : tokens_(normalised), timer_(engine.durationFactor, engine.pitchFactor) {}

    void run() {
        std::string previous, current, next;
        bool more = tokens_.next(current);
        while (more) {
            const bool haveNext = tokens_.next(next);
            if (!haveNext)
                next.clear();
            phonemes_.clear();
            phonetiser_.add(patterns_.assign(previous, current, next), phonemes_);
            passOn();
            previous = std::move(current);
            current = std::move(next);
            more = haveNext;
        }
        phonemes_.clear();
        phonetiser_.finish(phonemes_);
        passOn();
        if (heldPhoneme_)
            timer_.add(*heldPhoneme_, true, timed_);
        sendTimed(true);
    }

private:
    // Times every phoneme line whose successor is known and sends every
    // timed line but the last, which may be the utterance's last.
    void passOn() {
        for (std::string &line : phonemes_) {
            if (heldPhoneme_)
                timer_.add(*heldPhoneme_, line.empty(), timed_);
            heldPhoneme_ = std::move(line);
        }
        sendTimed(false);
    }

    void sendTimed(bool toTheEnd) {
        const size_t keep = toTheEnd ? 0 : 1;
        for (size_t i = 0; i + keep < timed_.size(); ++i)
            sendLine(timed_[i], toTheEnd && i + 1 == timed_.size());
        timed_.erase(timed_.begin(),
                     timed_.end() - static_cast<long>(std::min(keep, timed_.size())));
    }

    TokenReader tokens_;
    PatternAssigner patterns_;
    Phonetiser phonetiser_;
    ProsodyTimer timer_;
    LineList phonemes_;
    std::optional<std::string> heldPhoneme_;
    LineList timed_;
};

} // namespace

void queloSetOutputFile(const std::string &fileName) {
    engine.outputFileName = fileName;
}

bool queloLoadData(const std::string &rules, const std::string &exceptions,
                   const std::string &abbreviations, const std::string &prosody,
                   const std::string &diphones) {
    engine.ready = false;
    freeNrlRules();
    freeDiphoneList();
    if (!loadNrlRules(orDefault(rules, "portug.nrl")) ||
        !loadNrlExceptions(orDefault(exceptions, "portug.exc")))
        return fail("Erro na base de dados de português"_cp1252);
    if (!loadAbbreviations(orDefault(abbreviations, "portug.abr")))
        return fail("Erro no arquivo de abreviaturas");
    if (!loadProsody(orDefault(prosody, "portug.pro")) ||
        !loadDiphoneList(orDefault(diphones, "portug.dfn")))
        return fail("Erro no arquivo de prosódia"_cp1252);
    engine.ready = true;
    return true;
}

bool queloInit(const std::string &database, const std::string &rules, const std::string &exceptions,
               const std::string &abbreviations, const std::string &prosody,
               const std::string &diphones) {
    engine.ready = false;
    if (!loadMbrola())
        return false;
    const std::string path = databasePath(orDefault(database, "br4"));
    if (!initMbrola(platform::nativePath(path)))
        return false;
    setMbrolaNoError();
    if (!queloLoadData(rules, exceptions, abbreviations, prosody, diphones))
        return false;
    engine.ready = openOutputFile();
    return engine.ready;
}

void queloSetFactors(double durationFactor, double pitchFactor) {
    engine.durationFactor = durationFactor;
    engine.pitchFactor = pitchFactor;
}

LineList queloPipeline(const std::string &text, Stage stage) {
    if (isBlankText(text))
        return {};
    const LineList tokens = buildTokenList(normaliseText(text));
    if (stage == Stage::Tokens)
        return tokens;
    const LineList patterns = assignPatterns(tokens);
    if (stage == Stage::Patterns)
        return patterns;
    const LineList phonemes = phonetise(patterns);
    if (stage == Stage::Phonemes)
        return phonemes;
    return applyProsody(phonemes, engine.durationFactor, engine.pitchFactor);
}

bool queloSpeak(const std::string &text) {
    if (isBlankText(text))
        return true;
    if (!engine.ready || !mbrolaLoaded())
        return false;
    const std::string normalised = normaliseText(text);
    beginUtterance(engine.writingToFile ? &engine.output : nullptr);
    StreamingUtterance(normalised).run();
    return endUtterance();
}

bool queloIsPlaying() {
    return !engine.writingToFile && wave::isWavePlaying();
}

void queloStop() {
    if (!engine.writingToFile)
        wave::stopWave();
}

void queloClose() {
    engine.outputComplete = engine.writingToFile && finishOutputFile();
    engine.writingToFile = false;
    engine.ready = false;
    freeNrlRules();
    freeDiphoneList();
    closeMbrola();
    unloadMbrola();
}

bool queloOutputComplete() {
    return engine.outputComplete;
}

const std::string &queloErrorText() {
    return engine.errorText;
}

bool readRegistryString(platform::RegistryRoot root, const std::string &path, std::string &text) {
    const size_t split = path.rfind('\\');
    if (split == std::string::npos)
        return false;
    platform::RegistryValue value;
    if (!platform::readRegistryValue(root, path.substr(0, split), path.substr(split + 1), value) ||
        value.type != platform::RegistryString)
        return false;
    text = value.data.empty() ? std::string() : value.data.substr(0, value.data.size() - 1);
    return true;
}

} // namespace quelo
