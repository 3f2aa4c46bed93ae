// titlepic: draws the game's title picture, the gallows and the game's name,
// and writes it as a 24-bit BMP file with the 40-byte info header.
//   titlepic OUT.bmp
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int Width = 360, Height = 240;

struct Rgb {
    uint8_t r, g, b;
};

constexpr Rgb Night{10, 20, 70}, Wood{190, 130, 60}, Rope{230, 210, 150}, Letter{255, 255, 255},
    Shadow{0, 0, 30};

struct Canvas {
    std::vector<Rgb> pixels = std::vector<Rgb>(size_t{Width} * Height, Night);

    void fill(int x, int y, int w, int h, Rgb colour) {
        for (int j = std::max(0, y); j < std::min(Height, y + h); ++j)
            for (int i = std::max(0, x); i < std::min(Width, x + w); ++i)
                pixels[size_t(j) * Width + i] = colour;
    }
};

// Capital letters of a 5 x 7 pixel font, one string of 35 cells each.
struct Glyph {
    char letter;
    const char *rows;
};

constexpr std::array<Glyph, 14> Font = {{
    {'A', ".###.#...##...#######...##...##...#"},
    {'B', "####.#...##...#####.#...##...#####."},
    {'C', ".###.#...##....#....#....#...#.###."},
    {'D', "####.#...##...##...##...##...#####."},
    {'E', "######....#....####.#....#....#####"},
    {'F', "######....#....####.#....#....#...."},
    {'G', ".###.#...##....#.####...##...#.####"},
    {'I', ".###...#....#....#....#....#...###."},
    {'J', "..###...#....#....#....#.#..#..##.."},
    {'L', "#....#....#....#....#....#....#####"},
    {'N', "#...###..##.#.##..###...##...##...#"},
    {'O', ".###.#...##...##...##...##...#.###."},
    {'R', "####.#...##...#####.#.#..#..#.#...#"},
    {'Z', "#####....#...#...#...#...#....#####"},
}};

const char *glyphOf(char c) {
    for (const auto &g : Font)
        if (g.letter == c)
            return g.rows;
    return nullptr;
}

void drawText(Canvas &canvas, const std::string &text, int x, int y, int scale, Rgb colour) {
    for (const char c : text) {
        if (const char *rows = glyphOf(c))
            for (int cell = 0; cell < 35; ++cell)
                if (rows[cell] == '#') {
                    const int cx = x + (cell % 5) * scale, cy = y + (cell / 5) * scale;
                    canvas.fill(cx + 2, cy + 2, scale, scale, Shadow);
                    canvas.fill(cx, cy, scale, scale, colour);
                }
        x += 6 * scale;
    }
}

int textWidth(const std::string &text, int scale) {
    return int(text.size()) * 6 * scale - scale;
}

void drawGallows(Canvas &canvas) {
    canvas.fill(40, 205, 120, 10, Wood); // base
    canvas.fill(60, 40, 10, 170, Wood);  // post
    canvas.fill(60, 40, 90, 10, Wood);   // beam
    for (int i = 0; i < 30; ++i)         // brace
        canvas.fill(70 + i, 80 - i, 6, 6, Wood);
    canvas.fill(135, 50, 3, 40, Rope);
    for (int a = 0; a < 360; a += 3) { // the noose, a ring
        const double t = a * 3.14159265 / 180;
        canvas.fill(136 + int(12 * std::cos(t)), 102 + int(12 * std::sin(t)), 3, 3, Rope);
    }
}

void put(std::string &out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string bmpFile(const Canvas &canvas) {
    const uint32_t rowBytes = (Width * 3 + 3) / 4 * 4;
    const uint32_t imageBytes = rowBytes * Height;
    std::string out = "BM";
    put(out, 54 + imageBytes, 4);
    put(out, 0, 4);
    put(out, 54, 4);
    put(out, 40, 4);
    put(out, Width, 4);
    put(out, Height, 4);
    put(out, 1, 2);
    put(out, 24, 2);
    put(out, 0, 4);
    put(out, imageBytes, 4);
    put(out, 2835, 4);
    put(out, 2835, 4);
    put(out, 0, 4);
    put(out, 0, 4);
    for (int y = Height - 1; y >= 0; --y) { // bottom row first
        std::string row;
        for (int x = 0; x < Width; ++x) {
            const Rgb p = canvas.pixels[size_t(y) * Width + x];
            row += static_cast<char>(p.b);
            row += static_cast<char>(p.g);
            row += static_cast<char>(p.r);
        }
        row.resize(rowBytes, '\0');
        out += row;
    }
    return out;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: titlepic OUT.bmp\n");
        return 2;
    }
    Canvas canvas;
    drawGallows(canvas);
    const std::string name = "GALDRINO", subtitle = "JOGO DA FORCA";
    drawText(canvas, name, 165 + (190 - textWidth(name, 4)) / 2, 70, 4, Letter);
    drawText(canvas, subtitle, 165 + (190 - textWidth(subtitle, 2)) / 2, 120, 2, Rope);
    const std::string file = bmpFile(canvas);
    std::FILE *out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() ||
        std::fclose(out) != 0) {
        std::fprintf(stderr, "titlepic: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
