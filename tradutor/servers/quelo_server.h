// The built-in engine as a speech server: its file set read at module start,
// and the start, speak, busy, stop and close the dispatcher forwards.
#pragma once

#include <cstdint>
#include <string>

namespace servers {

// The database name and the five data files the engine is started with.
struct QueloFileSet {
    std::string database;
    std::string directory; // ends in "\"
    std::string base;
    std::string rules, exceptions, abbreviations, prosody, diphones;
};

// Reads section QUELOTTS of ZEBUNA.INI (MBROLA_DB, DIR, BASE) with the
// registry and built-in defaults.
void readQueloFileSet();
const QueloFileSet &queloFileSet();

// The engine's duration and pitch factors from the server's rate and pitch.
void setQueloFactors(int32_t rate, int32_t pitch);

bool queloServerStart(int32_t rate, int32_t pitch, const std::string &outputFile);
void queloServerSpeak(const std::string &text);
bool queloServerBusy();
void queloServerStop();
void queloServerClose();

} // namespace servers
