// The start and end of every module below the game, in dependency order.
#pragma once

namespace app {

void startModules();
void endModules();
// For a program that ends through exit() (the game ends the process
// itself): the speech modules end then, the engines' objects released
// before COM. Call it after startModules, so that the speech engines the
// modules started outlive it.
void endModulesAtExit();

} // namespace app
