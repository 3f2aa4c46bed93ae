// How the programs report what keeps them from starting with their data and
// the player's own ZEBUNA.INI (platform::checkInstallation).
#pragma once

#include "platform/platform.h"

#include <string>

namespace game {

// The two messages of a report: the first names the problem and is followed
// by the directory or file (after the line number of a damaged file), the
// second says what to do.
struct StartReport {
    const char *problemKey;
    const char *adviceKey;
};
StartReport startReport(platform::StartProblem problem);

// A problem of the player's ZEBUNA.INI: the data are there, the game can speak.
bool isConfigProblem(platform::StartProblem problem);

// The report as the game prints it (Windows-1252, lines ending in "\n"), for
// the command-line programs.
std::string startReportText(const platform::StartCheck &check);

} // namespace game
