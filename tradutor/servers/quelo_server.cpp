#include "tradutor/servers/quelo_server.h"

#include "console/console.h"
#include "tradutor/quelo/engine.h"
#include "tradutor/speech/speech.h"

namespace servers {
namespace {

// The private message that wakes a caller blocked in WaitMessage.
constexpr uint32_t WakeUpMessage = 2980;
constexpr uint16_t StartPollMs = 500;
constexpr size_t DatabaseFileNameLength = 3;

QueloFileSet fileSet;

std::string dataDirectory() {
    std::string directory = speech::readConfig("QUELOTTS", "DIR");
    if (directory.empty()) {
        std::string value;
        if (quelo::readRegistryString(platform::RegistryRoot::LocalMachine,
                                      "SOFTWARE\\TCTS\\Mbrola\\databases\\BR4\\", value))
            directory = value.size() > DatabaseFileNameLength
                            ? value.substr(0, value.size() - DatabaseFileNameLength)
                            : std::string();
        else
            directory = "\\talvek\\quelotts\\";
    }
    if (directory.empty() || directory.back() != '\\')
        directory += '\\';
    return directory;
}

} // namespace

void readQueloFileSet() {
    fileSet.database = speech::readConfig("QUELOTTS", "MBROLA_DB");
    if (fileSet.database.empty())
        fileSet.database = "br4";
    fileSet.directory = dataDirectory();
    fileSet.base = speech::readConfig("QUELOTTS", "BASE");
    if (fileSet.base.empty())
        fileSet.base = "portug";
    const std::string stem = fileSet.directory + fileSet.base;
    fileSet.rules = stem + ".nrl";
    fileSet.exceptions = stem + ".exc";
    fileSet.abbreviations = stem + ".abr";
    fileSet.prosody = stem + ".pro";
    fileSet.diphones = stem + ".dfn";
}

const QueloFileSet &queloFileSet() {
    return fileSet;
}

void setQueloFactors(int32_t rate, int32_t pitch) {
    quelo::queloSetFactors(0.8 - rate / 15.0, (pitch + 11) / 11.0);
}

bool queloServerStart(int32_t rate, int32_t pitch, const std::string &outputFile) {
    quelo::queloSetOutputFile(outputFile);
    const bool started = quelo::queloInit(fileSet.database, fileSet.rules, fileSet.exceptions,
                                          fileSet.abbreviations, fileSet.prosody, fileSet.diphones);
    setQueloFactors(rate, pitch);
    return started;
}

void queloServerSpeak(const std::string &text) {
    quelo::queloSpeak(text);
    console::postMessage(WakeUpMessage);
}

bool queloServerBusy() {
    bool busy = quelo::queloIsPlaying();
    if (console::keyPressed()) {
        queloServerStop();
        busy = false;
    }
    console::postMessage(WakeUpMessage);
    return busy;
}

void queloServerStop() {
    quelo::queloStop();
    console::postMessage(WakeUpMessage);
}

void queloServerClose() {
    while (queloServerBusy())
        console::delayMs(StartPollMs);
    queloServerStop();
    quelo::queloClose();
}

} // namespace servers
