// The data tree's layout, the dispatch of single files, and the game's own
// files: the word list and ZEBUNA.INI.
#include "app/zebcheck/checks.h"

#include "game/game.h"
#include "game/options.h"
#include "game/word_list.h"
#include "platform/file.h"
#include "platform/host_settings.h"
#include "platform/platform.h"
#include "platform/posix/ini_check.h"
#include "platform/posix/profile_text.h"
#include "tradutor/diphone/synthesizer_voice.h"
#include "tradutor/quelo/engine.h"
#include "tradutor/servers/quelo_server.h"
#include "tradutor/speech/config.h"
#include "tradutor/speech/speech.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace zebcheck {
namespace {

namespace fs = std::filesystem;

constexpr int SpeedCount = 5;
// The speed the game and zebfala speak at: theirs is the voice DIFONES3.
constexpr int GameSpeed = 3;

namespace voice = diphone::synth::voice;

// Settings the programs read as whole numbers (the SINTETIZADOR ones end in
// the speed digit), with the section that holds them.
struct NumericKey {
    const char *section;
    const char *key;
    bool perSpeed;
};
constexpr NumericKey NumericKeys[] = {
    {"TRADUTOR", "VELOCIDADE", false},         {"SERVFALA", "VOZ", false},
    {"SERVFALA", "VELOCIDADE", false},         {"SERVFALA", "TOM", false},
    {"SERVFALA", "TIPOSAPI", false},           {"SINTETIZADOR", "CORTEFON", true},
    {"SINTETIZADOR", "SOBRAFON", true},        {"SINTETIZADOR", "INTERPAL", true},
    {"SINTETIZADOR", "PAUSAPONTO", true},      {"SINTETIZADOR", "PAUSAVIRG", true},
    {"SINTETIZADOR", "PAUSADOISPONTOS", true},
};

// Settings whose values the programs keep shorter than a line can hold.
struct ShortKey {
    const char *section;
    const char *key;
    bool perSpeed;
    size_t capacity;
    const char *what;
};
constexpr ShortKey ShortKeys[] = {
    {"TRADUTOR", "DIRLETRAS", false, 80, "the native voice keeps the first 80 characters"},
    {"TRADUTOR", "DIRDIFONES", false, 80, "the native voice keeps the first 80 characters"},
    {"SINTETIZADOR", "DIFONES", true, 8, "a voice name keeps its first 8 characters"},
};

// The synthesizer's voice file MBROLA_DB names: a registered database name
// or a path, as the engine finds it.
std::string databaseFile(const std::string &database) {
    std::string path = database;
    quelo::readRegistryString(platform::RegistryRoot::LocalMachine,
                              "SOFTWARE\\TCTS\\Mbrola\\databases\\" + database + "\\", path);
    return platform::nativePath(path);
}

std::string lowerName(const std::string &path) {
    std::string name = fs::path(path).filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

std::string siblingOf(const std::string &path, const std::string &name) {
    return (fs::path(path).parent_path() / name).string();
}

// The line of `key` in `section` (first section of that name), or 0.
size_t lineOfKey(const std::string &text, const std::string &section, const std::string &key) {
    const auto upper = [](std::string s) {
        for (char &c : s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    bool inSection = false, seen = false;
    size_t number = 0;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line(
            posix_host::trimProfileBlanks(std::string_view(text).substr(pos, end - pos)));
        pos = end + 1;
        ++number;
        if (!line.empty() && line[0] == '[') {
            if (seen)
                return 0;
            inSection = upper(line) == "[" + upper(section) + "]";
            seen = inSection;
        } else if (inSection && line.find('=') != std::string::npos &&
                   upper(std::string(posix_host::trimProfileBlanks(
                       std::string_view(line).substr(0, line.find('='))))) == upper(key)) {
            return number;
        }
    }
    return 0;
}

// Values longer than the programs keep.
void checkLengths(const std::string &path, const std::string &text, Findings &findings) {
    for (const ShortKey &entry : ShortKeys) {
        for (int speed = 1; speed <= (entry.perSpeed ? SpeedCount : 1); ++speed) {
            const std::string key =
                std::string(entry.key) + (entry.perSpeed ? std::to_string(speed) : "");
            const std::string value =
                posix_host::profileValue(text, entry.section, key, "", posix_host::MaxIniValue + 1);
            if (value.size() > entry.capacity)
                findings.add(path, lineOfKey(text, entry.section, key),
                             key + " is longer than " + std::to_string(entry.capacity) +
                                 " characters: " + entry.what);
        }
    }
}

// Values the programs read as numbers and would read as 0.
void checkNumbers(const std::string &path, const std::string &text, Findings &findings) {
    for (const NumericKey &entry : NumericKeys) {
        for (int speed = 1; speed <= (entry.perSpeed ? SpeedCount : 1); ++speed) {
            const std::string key =
                std::string(entry.key) + (entry.perSpeed ? std::to_string(speed) : "");
            const std::string value =
                posix_host::profileValue(text, entry.section, key, "", posix_host::MaxIniValue + 1);
            if (!value.empty() && !speech::parseConfigInteger(value))
                findings.add(path, lineOfKey(text, entry.section, key),
                             key + "=" + value + " is not a whole number: read as 0");
        }
    }
}

// The files of the built-in engine with one of them given.
QueloFiles only(std::string QueloFiles::*file, const std::string &path) {
    QueloFiles files;
    files.*file = path;
    return files;
}

} // namespace

void Findings::add(const std::string &file, size_t line, const std::string &what) {
    findings_.insert({file, line, what});
}

data_report::Sink Findings::sinkFor(const std::string &file) {
    return [this, file](size_t line, const std::string &what) { add(file, line, what); };
}

Tree treeAt(const std::string &root) {
    // The programs' own lookups, on this tree and its installed ZEBUNA.INI.
    platform::setDriveRoot(root);
    platform::setWindowsDirectory((fs::path(root) / "windows").string());
    platform::ignoreUserConfig(true);
    Tree tree;
    tree.configuration = (fs::path(platform::windowsDirectory()) / "ZEBUNA.INI").string();
    tree.wordList = platform::nativePath(game::configuredWordListPath());
    const fs::path diphones(platform::nativePath(voice::configuredDiphoneDirectory()));
    tree.nativeRules = (diphones / "regras.rgr").string();
    tree.nativeExceptions = (diphones / "portug.exc").string();
    std::set<std::string> voices;
    for (int speed = 1; speed <= SpeedCount; ++speed) {
        const std::string name =
            speech::readConfig("SINTETIZADOR", "DIFONES" + std::to_string(speed));
        if (!name.empty())
            voices.insert(name.substr(0, voice::VoiceNameLength));
        else if (speed == GameSpeed)
            tree.gameVoiceUnnamed = true;
    }
    for (const std::string &name : voices)
        tree.nativeVoices.push_back((diphones / name).string());
    servers::readQueloFileSet();
    const servers::QueloFileSet &files = servers::queloFileSet();
    tree.quelo = {platform::nativePath(files.rules),         platform::nativePath(files.exceptions),
                  platform::nativePath(files.abbreviations), platform::nativePath(files.prosody),
                  platform::nativePath(files.diphones),      databaseFile(files.database)};
    return tree;
}

void checkTree(const Tree &tree, Findings &findings) {
    checkConfiguration(tree.configuration, findings);
    if (tree.gameVoiceUnnamed)
        findings.add(tree.configuration, 0,
                     "no DIFONES" + std::to_string(GameSpeed) +
                         " in [SINTETIZADOR]: the game's native voice has no name and does not "
                         "start");
    checkWordList(tree.wordList, findings);
    const NativeUnitSources native{tree.nativeRules, tree.nativeExceptions, tree.wordList};
    checkNativeRules(native.rules, findings);
    checkNativeExceptions(native.exceptions, findings);
    for (const std::string &stem : tree.nativeVoices) {
        const std::set<std::string> names = checkNativeIndex(stem, findings);
        if (!names.empty())
            checkNativeUnits(native, stem, names, findings);
    }
    checkQuelo(tree.quelo, findings);
}

bool checkFile(const std::string &path, Findings &findings) {
    const std::string name = lowerName(path);
    const std::string extension = fs::path(name).extension().string();
    if (name == "zebuna.ini") {
        checkConfiguration(path, findings);
    } else if (extension == ".pal") {
        checkWordList(path, findings);
    } else if (extension == ".rgr") {
        checkNativeRules(path, findings);
    } else if (extension == ".exc" && platform::fileExists(siblingOf(path, "regras.rgr"))) {
        checkNativeExceptions(path, findings);
    } else if (extension == ".ind") {
        checkNativeIndex(path.substr(0, path.size() - extension.size()), findings);
    } else if (extension == ".exc") {
        checkQuelo(only(&QueloFiles::exceptions, path), findings);
    } else if (extension == ".nrl") {
        checkQuelo(only(&QueloFiles::rules, path), findings);
    } else if (extension == ".abr") {
        checkQuelo(only(&QueloFiles::abbreviations, path), findings);
    } else if (extension == ".pro") {
        checkQuelo(only(&QueloFiles::prosody, path), findings);
    } else if (extension == ".dfn") {
        checkQuelo(only(&QueloFiles::diphones, path), findings);
    } else if (extension.empty()) {
        checkQuelo(only(&QueloFiles::voice, path), findings);
    } else {
        return false;
    }
    return true;
}

// The list is read in the format the configuration's ACENTOS chooses.
void checkWordList(const std::string &path, Findings &findings) {
    const game::WordListFormat format = game::readOptions().accents ? game::WordListFormat::Accented
                                                                    : game::WordListFormat::Classic;
    if (!game::reportWordList(path, findings.sinkFor(path), format))
        findings.add(path, 0, "cannot be read: the game stops at its start");
}

void checkConfiguration(const std::string &path, Findings &findings) {
    std::string text;
    if (!platform::readWholeFile(path, text, posix_host::MaxIniBytes)) {
        findings.add(path, 0, "cannot be read (or larger than 1 MiB)");
        return;
    }
    posix_host::reportIniText(text, findings.sinkFor(path));
    checkNumbers(path, text, findings);
    checkLengths(path, text, findings);
}

} // namespace zebcheck
