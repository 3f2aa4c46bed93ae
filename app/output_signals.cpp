#include "app/output_signals.h"

#include <csignal>
#include <cstring>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace zebfala {
namespace {

// The handler may neither allocate nor lock: the name is kept in a fixed
// buffer, empty when no temporary file is being written.
char temporaryName[4096];

#ifndef _WIN32
extern "C" void removeTemporaryAndEnd(int signal) {
    if (temporaryName[0] != '\0')
        ::unlink(temporaryName);
    // Ended by the same signal, as the caller expects.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
#endif

} // namespace

void handleOutputSignals() {
#ifndef _WIN32
    std::signal(SIGXFSZ, SIG_IGN);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = removeTemporaryAndEnd;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
#endif
}

TemporaryOutput::TemporaryOutput(const std::string &path) {
    // A name too long for the buffer is left to the writer alone.
    if (path.size() < sizeof temporaryName)
        std::memcpy(temporaryName, path.c_str(), path.size() + 1);
}

TemporaryOutput::~TemporaryOutput() {
    temporaryName[0] = '\0';
}

} // namespace zebfala
