// The start and end of every module below the game, in dependency order.
#pragma once

namespace app {

void startModules();
void endModules();

} // namespace app
