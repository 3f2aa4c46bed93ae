// zebfala: the speech library's native voice from the command line, on the
// headless backend.
//
//   zebfala [--config FILE] -x TEXT       prints the phoneme string of TEXT
//   zebfala [--config FILE] -w OUT.wav TEXT
//                                         writes what speaking TEXT plays
//   zebfala [--config FILE] TEXT          plays it through the sound device
//   zebfala [--config FILE] --pho [--stage tokens|patterns|phonemes] TEXT
//                                         prints the built-in engine's
//                                         phoneme lines (or a stage before)
//   zebfala [--config FILE] --engine quelo [-w OUT.wav] TEXT
//                                         speaks TEXT with the built-in
//                                         engine, or writes its output file
//   zebfala [--config FILE] --engine sapi5|sapi54|sapi4
//           [--voz N] [--velocidade N] [--tom N] [--keys SCRIPT] [--transcript] TEXT
//                                         speaks TEXT through that speech
//                                         server (VOZ, VELOCIDADE and TOM of
//                                         section SERVFALA unless given); a
//                                         key of the headless key script cuts
//                                         it; --transcript prints what the
//                                         server did
//   zebfala [--config FILE] [--engine sapi5|sapi54|sapi4] --voices
//                                         lists the server's voices, one a
//                                         line: its VOZ number, name, language
//   zebfala --help | --version
//
// An option it does not know is an error (status 2), never text to speak;
// "--" ends the options, so that a text may begin with "-".
// TEXT is UTF-8 (on Windows, in the ANSI code page, as the command line
// gives it) and is converted to Windows-1252; "-" reads it from the
// standard input (a text too long for the command line). With -w the text is
// spoken the way the program speaks free text (number words, letter
// recordings, synthesized chunks, pauses and clicks); every block written to
// the wave device is laid out at the virtual time it starts to sound, and
// the whole is written, as it comes, as one 16-bit mono 22050 Hz WAV file. Without -w the
// same sound, rendered first, is played through the sound device.
#include "app/module_start.h"
#include "app/output_signals.h"
#include "app/program_options.h"
#include "app/sound_layout.h"
#include "console/console.h"
#include "game/start_report.h"
#include "platform/command_line.h"
#include "platform/cp1252.h"
#include "platform/headless/headless.h"
#include "platform/host_settings.h"
#include "tools/wavconv/atomic_output.h"
#include "tools/wavconv/wav_dsp.h"
#include "tools/wavconv/wav_io.h"
#include "tradutor/diphone/native_voice.h"
#include "tradutor/quelo/engine.h"
#include "tradutor/servers/quelo_server.h"
#include "tradutor/servers/server.h"
#include "tradutor/speech/config.h"
#include "tradutor/speech/setting_ranges.h"
#include "tradutor/speech/speech.h"
#ifdef ZEB_HAVE_PCM_PLAYER
#include "platform/sdl_player/pcm_player.h"
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr uint32_t kOutputRate = 22050;
// The speed the game speaks at.
constexpr int32_t kSpeed = 3;

struct Options {
    std::string config;
    std::string wavPath;
    bool phonemes = false;
    bool queloLines = false;
    bool queloEngine = false;
    int32_t serverKind = 0; // a SAPI server kind, or 0
    bool voices = false;
    std::string voz, velocidade, tom; // given on the command line, else from ZEBUNA.INI
    std::string keys;
    bool transcript = false;
    quelo::Stage stage = quelo::Stage::Lines;
    std::string text;
    std::string_view infoOption; // --help or --version
};

bool parseEngine(std::string_view name, Options &options) {
    if (name == "quelo")
        options.queloEngine = true;
    else if (name == "sapi5")
        options.serverKind = servers::ServerKindSapi5;
    else if (name == "sapi54")
        options.serverKind = servers::ServerKindSapi5Second;
    else if (name == "sapi4")
        options.serverKind = servers::ServerKindSapi4;
    else
        return false;
    return true;
}

bool parseStage(std::string_view name, quelo::Stage &stage) {
    if (name == "tokens")
        stage = quelo::Stage::Tokens;
    else if (name == "patterns")
        stage = quelo::Stage::Patterns;
    else if (name == "phonemes")
        stage = quelo::Stage::Phonemes;
    else
        return false;
    return true;
}

constexpr app::ProgramUsage kProgram{
    "zebfala", "zebfala [--config FILE] -x TEXT\n"
               "       zebfala [--config FILE] -w OUT.wav TEXT\n"
               "       zebfala [--config FILE] TEXT\n"
               "       zebfala [--config FILE] --pho [--stage tokens|patterns|phonemes] TEXT\n"
               "       zebfala [--config FILE] --engine quelo [-w OUT.wav] TEXT\n"
               "       zebfala [--config FILE] --engine sapi5|sapi54|sapi4 [--voz N]\n"
               "               [--velocidade N] [--tom N] [--keys SCRIPT] [--transcript] TEXT\n"
               "       zebfala [--config FILE] [--engine sapi5|sapi54|sapi4] --voices\n"
               "       zebfala --help | --version\n"
               "TEXT is UTF-8, or - to read it from the standard input; -- ends the options.\n"};

// The options that take a value, and where each goes.
bool takeValue(std::string_view option, const std::string &value, Options &options,
               std::string &error) {
    if (option == "--config") {
        options.config = value;
    } else if (option == "-w") {
        options.wavPath = value;
    } else if (option == "--keys") {
        options.keys = value;
    } else if (option == "--stage") {
        if (!parseStage(value, options.stage))
            error = "--stage is tokens, patterns or phonemes";
    } else if (option == "--engine") {
        if (!parseEngine(value, options))
            error = "the engines are quelo, sapi5, sapi54 and sapi4";
    } else if (!speech::parseConfigInteger(value)) {
        error = std::string(option) + " takes a number";
    } else {
        (option == "--voz"   ? options.voz
         : option == "--tom" ? options.tom
                             : options.velocidade) = value;
    }
    return error.empty();
}

bool takesValue(std::string_view option) {
    for (const char *name :
         {"--config", "-w", "--keys", "--stage", "--engine", "--voz", "--velocidade", "--tom"})
        if (option == name)
            return true;
    return false;
}

// The options before the text; false with a message when one is wrong.
// `i` is left at the first argument after them.
bool parseFlags(int argc, char **argv, int &i, Options &options, std::string &error) {
    for (; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (!app::isOption(arg))
            break;
        if (arg == "--help" || arg == "--version") {
            options.infoOption = arg; // answered alone, whatever else is given
            return true;
        }
        if (arg == "-x") {
            options.phonemes = true;
        } else if (arg == "--pho") {
            options.queloLines = true;
        } else if (arg == "--voices") {
            options.voices = true;
        } else if (arg == "--transcript") {
            options.transcript = true;
        } else if (!takesValue(arg)) {
            error = "unknown option: " + std::string(arg);
            return false;
        } else if (i + 1 == argc) {
            error = std::string(arg) + " needs a value";
            return false;
        } else if (!takeValue(arg, argv[++i], options, error)) {
            return false;
        }
    }
    return true;
}

bool parseOptions(int argc, char **argv, Options &options, std::string &error) {
    int i = 1;
    if (!parseFlags(argc, argv, i, options, error))
        return false;
    if (!options.infoOption.empty())
        return true;
    const bool server = options.serverKind != 0;
    if (options.phonemes + options.queloLines + options.queloEngine + server > 1 ||
        ((options.phonemes || options.queloLines || server) && !options.wavPath.empty()) ||
        (options.voices && (options.phonemes || options.queloLines || options.queloEngine))) {
        error = "give one of -x, --pho, --engine, and -w only with --engine quelo or alone";
        return false;
    }
    if (options.voices) {
        if (options.serverKind == 0)
            options.serverKind = servers::ServerKindSapi5;
        if (i != argc) {
            error = "--voices takes no text";
            return false;
        }
        return true;
    }
    if (i + 1 != argc) {
        error = i == argc ? "no text given" : "give the text as one argument";
        return false;
    }
    if (std::string_view(argv[i]) == "-") {
        std::ostringstream in;
        in << std::cin.rdbuf();
        options.text = platform::utf8ToCp1252(in.str());
    } else {
        options.text = platform::textArgument(argv[i]);
    }
    return true;
}

// The program's own messages (a voice that cannot start) go to the headless
// transcript; they are shown on the standard error.
void printTranscriptText() {
    for (const auto &event : headless::transcript()) {
        if (event.kind == headless::Event::Kind::Text) {
            std::fputs(platform::cp1252ToUtf8(event.text).c_str(), stderr);
        }
    }
}

// What the wave device is given while `speak` runs, laid out in time and
// handed to `sink` as it comes.
template <typename Speak> void render(Speak speak, const zebfala::SoundLayout::Sink &sink) {
    zebfala::SoundLayout layout(kOutputRate, sink);
    const uint64_t startUs = headless::nowMs() * 1000;
    headless::setAudioSink([&](const headless::TimedBlock &block) { layout.add(block, startUs); });
    speak();
    headless::setAudioSink({});
    layout.finish(headless::nowMs() * 1000 - startUs);
}

// Speaks the text the way the program speaks free text, in virtual time.
void speakFreeText(const std::string &text) {
    speech::speakText(text);
    speech::waitWhileSpeaking();
}

// Writes what `speak` plays into the WAV file as it is played, so that a
// text of any length is written in bounded memory; the file is put in place
// only when every write succeeded.
template <typename Speak>
bool writeSpeech(Speak speak, const std::string &path, std::string &error) {
    wavkit::AtomicOutput output(path);
    std::optional<zebfala::TemporaryOutput> temporary;
    if (output.temporary())
        temporary.emplace(output.writePath());
    zebfala::WavStream stream(output.writePath(), kOutputRate);
    render(speak, [&](std::span<const float> samples) { stream.write(samples); });
    if (!stream.finish(error)) {
        error = path + ": could not be written whole (" + error + ")";
        return false;
    }
    return output.commit(error);
}

// Plays what `speak` plays through the sound device, rendered first.
template <typename Speak> bool playSpeech(Speak speak, std::string &error) {
    std::vector<float> sound;
    render(speak, [&](std::span<const float> samples) {
        sound.insert(sound.end(), samples.begin(), samples.end());
    });
#ifdef ZEB_HAVE_PCM_PLAYER
    std::vector<int16_t> samples(sound.size());
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(std::clamp(sound[i], -1.0f, 1.0f) * 32767.0f);
    return pcm_player::playAndWait(samples, kOutputRate, error);
#else
    error = "this build has no sound device: use -w";
    return false;
#endif
}

// The voice, rate and pitch the game gives the speech server, unless the
// command line gives them.
int32_t serverSetting(const char *key, const std::string &given = "") {
    return speech::parseConfigInteger(given.empty() ? speech::readConfig("SERVFALA", key) : given)
        .value_or(0);
}

// The rate and pitch the game starts the built-in engine with.
speech::ServerSettings queloSettings() {
    return speech::serverSettingsFor(servers::ServerKindQuelo, 0, serverSetting("VELOCIDADE"),
                                     serverSetting("TOM"));
}

// The built-in engine's lines for the text, with the data files and the
// factors the game would start it with.
int printQueloLines(const Options &options) {
    const servers::QueloFileSet &files = servers::queloFileSet();
    if (!quelo::queloLoadData(files.rules, files.exceptions, files.abbreviations, files.prosody,
                              files.diphones)) {
        std::fprintf(stderr, "zebfala: %s\n",
                     platform::cp1252ToUtf8(quelo::queloErrorText()).c_str());
        return 1;
    }
    const speech::ServerSettings given = queloSettings();
    servers::setQueloFactors(given.rate, given.pitch);
    for (const std::string &line : quelo::queloPipeline(options.text, options.stage))
        std::printf("%s\n", platform::cp1252ToUtf8(line).c_str());
    return 0;
}

// Speaks through the speech-server dispatcher as the game does, or has the
// engine write its output file.
int speakWithQuelo(const Options &options) {
    // The engine writes the file as it speaks: under a temporary name, put
    // in place only when every write succeeded.
    std::optional<wavkit::AtomicOutput> output;
    std::optional<zebfala::TemporaryOutput> temporary;
    if (!options.wavPath.empty()) {
        output.emplace(options.wavPath);
        if (output->temporary())
            temporary.emplace(output->writePath());
    }
    const speech::ServerSettings given = queloSettings();
    if (!servers::serverStart(0, given.rate, given.pitch,
                              output ? output->writePath() : std::string(),
                              servers::ServerKindQuelo)) {
        std::fprintf(stderr, "zebfala: the built-in engine could not start%s%s\n",
                     quelo::queloErrorText().empty() ? "" : ": ",
                     platform::cp1252ToUtf8(quelo::queloErrorText()).c_str());
        return 1;
    }
    const auto speak = [&] {
        servers::serverSpeak(options.text);
        while (servers::serverBusy(servers::Busy::Sounding))
            console::delayMs(10);
        servers::serverClose();
    };
    std::string error;
    if (output) {
        speak();
        if (!quelo::queloOutputComplete()) {
            std::fprintf(stderr,
                         "zebfala: %s: could not be written whole (disk full or file too large)\n",
                         options.wavPath.c_str());
            return 1;
        }
        if (!output->commit(error)) {
            std::fprintf(stderr, "zebfala: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (!playSpeech(speak, error)) {
        std::fprintf(stderr, "zebfala: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

// The numbered voices of a speech server, as VOZ counts them.
int listVoices(const Options &options) {
    const auto voices = servers::serverVoices(options.serverKind);
    if (voices.empty()) {
        std::fprintf(stderr, "zebfala: no voices: the speech server cannot be reached or has "
                             "none (is speech-dispatcher running?)\n");
        return 1;
    }
    for (size_t i = 0; i < voices.size(); ++i)
        std::printf("%zu\t%s\t%s\n", i + 1, voices[i].name.c_str(), voices[i].language.c_str());
    return 0;
}

// Speaks through a SAPI server kind as the game does: started with the
// game's settings, and waited for until it falls silent.
int speakWithServer(const Options &options) {
    const int32_t kind = options.serverKind;
    const speech::ServerSettings given = speech::serverSettingsFor(
        kind, serverSetting("VOZ", options.voz), serverSetting("VELOCIDADE", options.velocidade),
        serverSetting("TOM", options.tom));
    if (!servers::serverStart(given.voice, given.rate, given.pitch, "", kind)) {
        std::fprintf(stderr, "zebfala: the speech server could not start (is speech-dispatcher "
                             "running, and has it a voice?)\n");
        return 1;
    }
    servers::serverSpeak(options.text);
    // A key cuts the text, as it does in the game.
    while (servers::serverBusy(servers::Busy::Sounding)) {
        if (console::keyPressed()) {
            servers::serverStop();
            break;
        }
        console::waitMessage();
    }
    servers::serverClose();
    if (options.transcript)
        std::fputs(headless::transcriptText().c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    platform::writeUtf8ToConsole();
    zebfala::handleOutputSignals();
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error))
        return app::usageError(kProgram, error);
    if (!options.infoOption.empty())
        return app::answerInfoOption(options.infoOption, kProgram).value_or(0);
    headless::reset();
    headless::setCloseWhenScriptEnds(false);
    if (!headless::setKeyScript(options.keys, error))
        return app::usageError(kProgram, error);
    if (!options.config.empty()) {
        platform::setConfigOverride(options.config);
    }
    if (const platform::StartCheck check = platform::checkInstallation();
        check.problem != platform::StartProblem::None) {
        std::fprintf(stderr, "zebfala: %s",
                     platform::cp1252ToUtf8(game::startReportText(check)).c_str());
        return 1;
    }
    try {
        app::startModules();
        if (options.voices || options.serverKind != 0) {
            const int status = options.voices ? listVoices(options) : speakWithServer(options);
            app::endModules();
            return status;
        }
        if (options.queloLines || options.queloEngine) {
            const int status =
                options.queloLines ? printQueloLines(options) : speakWithQuelo(options);
            app::endModules();
            return status;
        }
        speech::initSpeech(kSpeed, "");
        if (options.phonemes) {
            std::printf("%s\n",
                        platform::cp1252ToUtf8(diphone::translateText(options.text)).c_str());
        } else {
            const auto speak = [&] { speakFreeText(options.text); };
            if (!(options.wavPath.empty() ? playSpeech(speak, error)
                                          : writeSpeech(speak, options.wavPath, error))) {
                std::fprintf(stderr, "zebfala: %s\n", error.c_str());
                return 1;
            }
        }
        speech::doneSpeech();
    } catch (const headless::ProcessExit &) {
        printTranscriptText();
        std::fprintf(stderr, "zebfala: the speech layer could not start\n");
        return 1;
    } catch (const std::exception &failure) {
        // Caught, so that the output's temporary file is removed on the way.
        std::fprintf(stderr, "zebfala: %s\n", failure.what());
        return 1;
    }
    app::endModules();
    return 0;
}
