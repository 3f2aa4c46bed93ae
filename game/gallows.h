// The hanged man, drawn in a 25 x 25 character picture at column 50.
#pragma once

#include <cstdint>

namespace game {

// Draws the gallows and the body parts revealed by `missCount` misses, then
// returns the cursor to the dialogue window where it was.
void drawGallows(int32_t missCount);

// The character of a picture cell for a miss count (blank when hidden).
char gallowsCell(int row, int column, int32_t missCount);

} // namespace game
