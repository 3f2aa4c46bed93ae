#include "game/gallows.h"

#include "game/outside.h"

#include <string>

namespace game {

namespace {

constexpr int PictureSize = 25;
constexpr int PictureColumn = 50;

struct PictureRow {
    const char *picture;
    const char *revealAt; // the miss count from which each cell is drawn
};

// Digit 0 is the gallows; 1 head, 2 neck, 3 trunk, 4 right arm, 5 left arm,
// 6 right leg, 7 left leg, 8 the eye marks of the hanged figure.
constexpr PictureRow Picture[PictureSize] = {
    {"       XXXXXXXXXXXXXXXX  ", "       0000000000000000  "},
    {"       XXXXXXXXXXXXXXXX  ", "       0000000000000000  "},
    {"        |        \\\\  XX  ", "        0        00  00  "},
    {"      *****       \\\\ XX  ", "      11111       00 00  "},
    {"     { \\ / }       \\\\XX  ", "     1 8 8 1       0000  "},
    {"     | O O |        \\XX  ", "     1 1 1 1        000  "},
    {"     (  V  )         XX  ", "     1  1  1         00  "},
    {"      \\ = /          XX  ", "      1 1 1          00  "},
    {"       ***           XX  ", "       111           00  "},
    {"       | |           XX  ", "       2 2           00  "},
    {"    ---   ---        XX  ", "    333   333        00  "},
    {"   /         \\       XX  ", "   3         3       00  "},
    {"  ---       ---      XX  ", "  333       333      00  "},
    {"  | |       | |      XX  ", "  4 3       3 5      00  "},
    {"  | |       | |      XX  ", "  4 3       3 5      00  "},
    {"  | +++OOO+++ |      XX  ", "  4 333333333 5      00  "},
    {"  oo|       |oo      XX  ", "  446       755      00  "},
    {"  oo|   -   |oo      XX  ", "  446   6   755      00  "},
    {"    |  | |  |        XX  ", "    6  6 7  7        00  "},
    {"    |  | |  |        XX  ", "    6  6 7  7        00  "},
    {"    |  | |  |        XX  ", "    6  6 7  7        00  "},
    {"    |  | |  |        XX  ", "    6  6 7  7        00  "},
    {"    |  | |  |        XX  ", "    6  6 7  7        00  "},
    {"    ---- ----        XX  ", "    6666 7777        00  "},
    {"   @@@@@ @@@@@       XX  ", "   66666 77777       00  "},
};

} // namespace

char gallowsCell(int row, int column, int32_t missCount) {
    const int reveal = Picture[row].revealAt[column] & 15;
    return reveal <= missCount ? Picture[row].picture[column] : ' ';
}

void drawGallows(int32_t missCount) {
    const int32_t column = whereX(), row = whereY();
    setWindow(1, 1, 80, 25);
    for (int r = 0; r < PictureSize; ++r) {
        gotoXY(PictureColumn, r + 1);
        textBackground(1);
        std::string line;
        for (int c = 0; c < PictureSize; ++c)
            line += gallowsCell(r, c, missCount);
        print(line);
        textBackground(0);
        clearEol();
    }
    setWindow(1, 1, 49, 25);
    gotoXY(column, row);
}

} // namespace game
