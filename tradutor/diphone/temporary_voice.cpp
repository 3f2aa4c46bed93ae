// TEMPORARY VOICE.
// Temporary voice until the diphone synthesizer lands: spells free text with
// the letter recordings.
//
// It offers the interface of the translator (translateText) and of the
// synthesizer (openVoice, speakPhonemes, ...) so that the façade already
// runs its native path; the real modules replace this file whole. Words are
// spelled, one letter recording per character, in the phoneme notation the
// translator uses for spelled words: "[ /_" + character + "]".
#include "tradutor/diphone/native_voice.h"

#include "console/console.h"
#include "platform/platform.h"
#include "tradutor/speech/speech.h"

#include <filesystem>
#include <system_error>

namespace diphone {
namespace {

constexpr size_t VoiceNameLength = 8;
constexpr size_t DirectoryCapacity = 81; // directories keep at most 80 characters
constexpr const char *DefaultLettersDir = "c:\\talvek\\som\\letras";
constexpr const char *DefaultDiphoneDir = "c:\\talvek\\som\\difones";

struct State {
    std::string voiceName = "DIFONES2";
    std::string lettersDir = std::string(DefaultLettersDir) + "\\";
};

State state;

std::string withBackslash(std::string directory) {
    if (directory.empty() || directory.back() != '\\')
        directory += '\\';
    return directory;
}

// Read by the bare file name, through the profile functions' own search.
std::string configuredDirectory(const char *key, const char *defaultValue) {
    return withBackslash(
        platform::profileString("ZEBUNA.INI", "TRADUTOR", key, defaultValue, DirectoryCapacity));
}

bool directoryExists(const std::string &directory) {
    std::error_code ignored;
    return std::filesystem::is_directory(platform::nativePath(directory), ignored);
}

} // namespace

int32_t openVoice() {
    state.lettersDir = configuredDirectory("dirLetras", DefaultLettersDir);
    const std::string diphoneDir = configuredDirectory("DIRDIFONES", DefaultDiphoneDir);
    if (state.voiceName.empty() || !directoryExists(state.lettersDir) ||
        !directoryExists(diphoneDir))
        return 1;
    return 0;
}

// Nothing is held open: the letter recordings are opened as they are played.
void closeVoice() {}

// The letter recordings are played whole; there are no units to shape.
void setSynthTiming(int32_t, int32_t, int32_t) {}

void setVoiceName(const std::string &name) {
    state.voiceName = name.substr(0, VoiceNameLength);
}

std::string voiceName() {
    return state.voiceName;
}

std::string lettersDirectory() {
    return state.lettersDir;
}

std::string translateText(const std::string &text) {
    std::string phonemes;
    for (const char c : text)
        if (c != ' ')
            phonemes += std::string("[ /_") + c + "]";
    return phonemes;
}

// Spelled words carry no punctuation, so there are no pauses to leave out.
void speakPhonemes(const std::string &phonemes, bool) {
    for (size_t i = 0; i + 1 < phonemes.size(); ++i) {
        if (phonemes[i] != '_')
            continue;
        if (console::keyPressed())
            return;
        speech::speakChar(static_cast<uint8_t>(phonemes[++i]));
    }
}

} // namespace diphone
