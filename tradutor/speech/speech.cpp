// The speech façade: recordings, the native synthesizer and the speech
// server behind one door, the start and end of the speech machinery, and the
// waits through which everything that speaks lets a key cut it.
#include "tradutor/speech/speech.h"

#include "console/console.h"
#include "platform/cp1252_literal.h"
#include "platform/platform.h"
#include "platform/speech_engines.h"
#include "tradutor/diphone/native_voice.h"
#include "tradutor/servers/server.h"
#include "tradutor/speech/config.h"
#include "tradutor/speech/facade_state.h"
#include "tradutor/speech/setting_ranges.h"
#include "tradutor/speech/wave_player.h"

using namespace platform::literals;

namespace speech {

namespace detail {
namespace {

FacadeState state;

} // namespace

FacadeState &facade() {
    return state;
}

} // namespace detail

namespace {

using detail::facade;

constexpr uint32_t WakeUpMessage = 1123; // WM_USER + 99: makes a blocked message wait return
constexpr int32_t DefaultSpeed = 3;
constexpr int32_t MaxSpeed = 5;
constexpr uint32_t ClickLoudSamples = 64;
constexpr uint8_t Silence8 = 128;
constexpr size_t ValueCapacity = 256;
constexpr uint16_t PauseSliceMs = 50;
constexpr const char *DefaultLettersDir = "c:\\talvek\\som\\letras\\";

std::string withBackslash(std::string directory) {
    if (directory.empty() || directory.back() != '\\')
        directory += '\\';
    return directory;
}

int32_t configInteger(const std::string &section, const std::string &key, int32_t fallback) {
    return parseConfigInteger(readConfig(section, key)).value_or(fallback);
}

// A short burst of noise followed by silence. The generator is not seeded
// yet when this runs, so the click sounds the same in every run.
void buildClick() {
    auto &click = facade().click;
    for (uint32_t i = 0; i < detail::ClickSamples; ++i)
        click[wave::HeaderSize + i] =
            static_cast<uint8_t>(i < ClickLoudSamples ? Silence8 + randomRange(60) : Silence8);
}

// Read straight from ZEBUNA.INI, without the root substitution of readConfig.
// A blank value falls back to the default like an absent one.
std::string readLettersDir() {
    std::string directory =
        platform::profileString("ZEBUNA.INI", "TRADUTOR", "DIRLETRAS", "", ValueCapacity);
    return directory.empty() ? std::string(DefaultLettersDir) : withBackslash(directory);
}

// The program cannot go on without its own voice: the fault is shown, the
// user presses Enter and the program ends.
void startNativeVoice() {
    const int32_t code = diphone::openVoice();
    if (code == 0)
        return;
    console::writeLine("Erro de inicialização: "_cp1252 + std::to_string(code));
    console::writeLine("Banco de dados de voz: " + diphone::voiceName());
    diphone::closeVoice();
    console::readLineText();
    console::setExitCode(1);
    console::doneConsole();
}

// A server that cannot start leaves the native synthesizer in charge.
void startServer() {
    auto &s = facade();
    s.serverActive = false;
    if (!isSwitchOn(readConfig("TRADUTOR", "SAPI")))
        return;
    const int32_t kind = configInteger("SERVFALA", "TIPOSAPI", 0);
    const ServerSettings given = serverSettingsFor(kind, configInteger("SERVFALA", "VOZ", 0),
                                                   configInteger("SERVFALA", "VELOCIDADE", 0),
                                                   configInteger("SERVFALA", "TOM", 0));
    s.serverActive = servers::serverStart(given.voice, given.rate, given.pitch, "", kind);
    s.engineType = kind;
}

} // namespace

void moduleStart() {
    platform::initializeComThread();
    auto &s = facade();
    s = detail::FacadeState{};
    buildClick();
    s.startDir = platform::currentDirectory();
    if (!s.startDir.empty() && s.startDir.back() == '\\')
        s.startDir.pop_back();
}

void moduleEnd() {
    platform::uninitializeComThread();
}

void initSpeech(int32_t speed, const std::string &soundDir) {
    if (speed < 1)
        speed = configInteger("TRADUTOR", "VELOCIDADE", 0);
    if (speed < 1 || speed > MaxSpeed)
        speed = DefaultSpeed;
    loadSynthSettings(speed);
    startNativeVoice();
    auto &s = facade();
    s.soundDir = soundDir.empty() ? soundDir : withBackslash(soundDir);
    s.lettersDir = readLettersDir();
    startServer();
}

SynthSettings readSynthSettings(int32_t speed) {
    const std::string suffix = std::to_string(speed);
    const auto value = [&suffix](const std::string &key) {
        return readConfig("SINTETIZADOR", key + suffix);
    };
    const auto integer = [&value](const std::string &key, int32_t fallback, SettingRange range) {
        return range.clamp(parseConfigInteger(value(key)).value_or(fallback));
    };
    SynthSettings settings;
    settings.voiceName = value("DIFONES");
    settings.unitCut = integer("CORTEFON", 0, UnitCutRange);
    settings.unitKeep = integer("SOBRAFON", 0, UnitKeepRange);
    settings.wordGap = integer("INTERPAL", 0, WordGapRange);
    settings.compression = isSwitchOn(value("CORTAFALA"));
    settings.speedUp = isSwitchOn(value("RAPIDINHO"));
    settings.pauseFullStop = integer("PAUSAPONTO", 250, PauseRange);
    settings.pauseComma = integer("PAUSAVIRG", 150, PauseRange);
    settings.pauseColon = integer("PAUSADOISPONTOS", 200, PauseRange);
    return settings;
}

void loadSynthSettings(int32_t speed) {
    const SynthSettings settings = readSynthSettings(speed);
    diphone::setVoiceName(settings.voiceName);
    diphone::setSynthTiming(settings.unitCut, settings.unitKeep, settings.wordGap);
    wave::setCompression(settings.compression);
    wave::setSpeedUp(settings.speedUp);
    auto &s = facade();
    s.pauseFullStop = settings.pauseFullStop;
    s.pauseComma = settings.pauseComma;
    s.pauseColon = settings.pauseColon;
}

bool isSpeaking() {
    if (console::keyPressed()) {
        stopSpeech(); // the key stays queued for the program
        return false;
    }
    if (facade().serverActive)
        return wave::isWavePlaying() || servers::serverBusy(servers::Busy::Sounding);
    return wave::isWavePlaying();
}

void stopSpeech() {
    auto &s = facade();
    wave::stopWave();
    s.stopped = true;
    if (s.serverActive &&
        (servers::serverBusy(servers::Busy::Sounding) || s.engineType == servers::ServerKindQuelo))
        servers::serverStop();
    console::postMessage(WakeUpMessage);
}

void waitWhileSpeaking() {
    while (isSpeaking())
        console::waitMessage();
}

// A recording never talks over a text the server is still speaking.
void waitServerIdle() {
    auto &s = facade();
    if (!s.serverWait)
        return;
    waitWhileSpeaking();
    s.serverWait = false;
}

void speakMessage(const std::string &name) {
    waitServerIdle();
    const auto &s = facade();
    const std::string &directory = !name.empty() && name[0] == '_' ? s.lettersDir : s.soundDir;
    wave::playWaveFile(directory + name + ".wav");
}

void speakChar(uint8_t c) {
    waitServerIdle();
    wave::playWaveFile(diphone::lettersDirectory() + "_" + std::to_string(c) + ".wav");
}

void spellText(const std::string &text) {
    for (const char c : text) {
        if (console::keyPressed())
            return;
        speakChar(static_cast<uint8_t>(c));
    }
}

void speakWaveImage(const uint8_t *image, size_t size) {
    waitServerIdle();
    wave::playWaveImage(image, size);
    waitWhileSpeaking();
}

// The click is played as it is recorded: compression would cut it short.
void playClick() {
    waitServerIdle();
    const bool compressing = wave::compression();
    wave::setCompression(false);
    auto &click = facade().click;
    wave::buildWaveHeader(click.data(), detail::ClickSamples, 11025, 1, 8);
    speakWaveImage(click.data(), click.size());
    wave::setCompression(compressing);
}

void pauseMs(int32_t ms) {
    for (int32_t slice = 0; slice < ms / PauseSliceMs; ++slice)
        if (!console::keyPressed())
            console::delayMs(PauseSliceMs);
}

void doneSpeech() {
    auto &s = facade();
    waitWhileSpeaking();
    stopSpeech();
    if (s.serverActive) {
        servers::serverClose();
        s.serverActive = false;
    }
    diphone::closeVoice();
}

} // namespace speech
