// The console font: a monospaced TrueType face found through fontconfig,
// sized so that its line skip is the cell height, and drawn cell by cell
// from a cache of white glyphs fitted to the cell (coloured at blit time),
// so that the grid stays exact whatever the face's own advance.
#include "platform/cp1252.h"
#include "platform/sdl/sdl_internal.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace sdl_backend {

namespace {

struct FontCloser {
    void operator()(TTF_Font *font) const { TTF_CloseFont(font); }
};
struct SurfaceFreer {
    void operator()(SDL_Surface *surface) const { SDL_FreeSurface(surface); }
};
struct PatternDestroyer {
    void operator()(FcPattern *pattern) const { FcPatternDestroy(pattern); }
};
struct FontSetDestroyer {
    void operator()(FcFontSet *set) const { FcFontSetDestroy(set); }
};
using FontPtr = std::unique_ptr<TTF_Font, FontCloser>;
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFreer>;
using PatternPtr = std::unique_ptr<FcPattern, PatternDestroyer>;
using FontSetPtr = std::unique_ptr<FcFontSet, FontSetDestroyer>;

constexpr int32_t DefaultCellHeight = 16;
constexpr const char *FallbackFamily = "DejaVu Sans Mono";

struct FontState {
    bool ttfStarted = false;
    int32_t cellWidth = DefaultCellHeight / 2;
    int32_t cellHeight = DefaultCellHeight;
    int32_t glyphTop = 0; // where the face's box starts inside a cell (may be negative)
    std::array<SurfacePtr, 256> glyphs; // null: nothing visible
    std::array<bool, 256> glyphReady{};
    FontPtr font; // last: the glyphs go before the face
};

FontState state;

// ---- finding the face ----

struct FontFile {
    std::string path;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
};

const FcChar8 *fcText(const std::string &text) {
    return reinterpret_cast<const FcChar8 *>(text.c_str());
}

bool isScalableMonospace(FcPattern *font) {
    int spacing = FC_PROPORTIONAL;
    FcBool outline = FcFalse;
    return FcPatternGetInteger(font, FC_SPACING, 0, &spacing) == FcResultMatch &&
           spacing >= FC_MONO && FcPatternGetBool(font, FC_OUTLINE, 0, &outline) == FcResultMatch &&
           outline == FcTrue;
}

bool hasFamily(FcPattern *font, const std::string &family) {
    FcChar8 *name = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (FcStrCmpIgnoreCase(name, fcText(family)) == 0)
            return true;
    }
    return false;
}

std::optional<FontFile> fileOf(FcPattern *font) {
    FcChar8 *path = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &path) != FcResultMatch)
        return std::nullopt;
    FontFile file;
    file.path = reinterpret_cast<const char *>(path);
    FcPatternGetInteger(font, FC_INDEX, 0, &file.index);
    FcPatternGetInteger(font, FC_WEIGHT, 0, &file.weight);
    return file;
}

PatternPtr monospacePattern(const std::string &family, int32_t weight) {
    PatternPtr pattern(FcPatternCreate());
    if (!pattern)
        return pattern;
    FcPatternAddString(pattern.get(), FC_FAMILY, fcText(family));
    FcPatternAddInteger(pattern.get(), FC_SPACING, FC_MONO);
    FcPatternAddBool(pattern.get(), FC_OUTLINE, FcTrue);
    if (weight > 0)
        FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    return pattern;
}

// The face of this family itself, when it is monospaced (fontconfig always
// offers some best match; an alias for another family does not count).
std::optional<FontFile> matchFamily(const std::string &family, int32_t weight) {
    PatternPtr pattern = monospacePattern(family, weight);
    if (!pattern)
        return std::nullopt;
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match || !hasFamily(match.get(), family) || !isScalableMonospace(match.get()))
        return std::nullopt;
    return fileOf(match.get());
}

std::optional<FontFile> anyMonospace(int32_t weight) {
    PatternPtr pattern = monospacePattern("monospace", weight);
    if (!pattern)
        return std::nullopt;
    FcResult result = FcResultNoMatch;
    FontSetPtr sorted(FcFontSort(nullptr, pattern.get(), FcFalse, nullptr, &result));
    if (!sorted)
        return std::nullopt;
    for (int i = 0; i < sorted->nfont; ++i) {
        if (isScalableMonospace(sorted->fonts[i]))
            return fileOf(sorted->fonts[i]);
    }
    return std::nullopt;
}

std::optional<FontFile> findConsoleFont(const std::string &face, int32_t weight) {
    if (FcInit() != FcTrue)
        return std::nullopt;
    if (!face.empty()) {
        if (auto file = matchFamily(platform::cp1252ToUtf8(face), weight))
            return file;
    }
    if (auto file = matchFamily(FallbackFamily, weight))
        return file;
    return anyMonospace(weight);
}

// ---- sizing ----

int lineSkipAt(TTF_Font *font, int pointSize) {
    TTF_SetFontSize(font, pointSize);
    return TTF_FontLineSkip(font);
}

// The largest point size whose line skip is at most the cell height.
void fitLineSkip(TTF_Font *font, int32_t cellHeight) {
    const int largest = 4 * cellHeight + 8;
    int size =
        std::clamp(cellHeight * cellHeight / std::max(1, lineSkipAt(font, cellHeight)), 1, largest);
    while (size > 1 && lineSkipAt(font, size) > cellHeight)
        --size;
    while (size < largest && lineSkipAt(font, size + 1) <= cellHeight)
        ++size;
    TTF_SetFontSize(font, size);
}

int32_t advanceOf(TTF_Font *font, Uint32 character) {
    int minX = 0, maxX = 0, minY = 0, maxY = 0, advance = 0;
    if (TTF_GlyphMetrics32(font, character, &minX, &maxX, &minY, &maxY, &advance) != 0)
        return 0;
    return advance;
}

// ---- glyphs ----

bool anyPixelVisible(const SDL_Surface &surface) {
    for (int y = 0; y < surface.h; ++y) {
        const auto *row = reinterpret_cast<const Uint32 *>(
            static_cast<const Uint8 *>(surface.pixels) + y * surface.pitch);
        for (int x = 0; x < surface.w; ++x) {
            if ((row[x] & surface.format->Amask) != 0)
                return true;
        }
    }
    return false;
}

// Places a rendered glyph into a transparent cell-sized surface: centred
// when narrower than the cell, squeezed to the cell's width when wider.
SurfacePtr fitToCell(SDL_Surface &rendered) {
    SurfacePtr glyph(SDL_ConvertSurfaceFormat(&rendered, SDL_PIXELFORMAT_ARGB8888, 0));
    SurfacePtr cell(SDL_CreateRGBSurfaceWithFormat(0, state.cellWidth, state.cellHeight, 32,
                                                   SDL_PIXELFORMAT_ARGB8888));
    if (!glyph || !cell)
        return nullptr;
    const int sourceTop = std::max(0, -state.glyphTop);
    const int targetTop = std::max(0, state.glyphTop);
    const int rows = std::min(glyph->h - sourceTop, state.cellHeight - targetTop);
    if (rows <= 0 || glyph->w <= 0)
        return nullptr;
    SDL_Rect source{0, sourceTop, glyph->w, rows};
    if (glyph->w > state.cellWidth) {
        SDL_Rect target{0, targetTop, state.cellWidth, rows};
        SDL_SoftStretchLinear(glyph.get(), &source, cell.get(), &target);
    } else {
        SDL_Rect target{(state.cellWidth - glyph->w) / 2, targetTop, glyph->w, rows};
        SDL_SetSurfaceBlendMode(glyph.get(), SDL_BLENDMODE_NONE);
        SDL_BlitSurface(glyph.get(), &source, cell.get(), &target);
    }
    if (!anyPixelVisible(*cell))
        return nullptr;
    SDL_SetSurfaceBlendMode(cell.get(), SDL_BLENDMODE_BLEND);
    return cell;
}

SDL_Surface *glyphFor(uint8_t byte) {
    if (!state.glyphReady[byte]) {
        state.glyphReady[byte] = true;
        // Control characters and the code page's unassigned bytes (0 here)
        // have no picture.
        const uint32_t character = platform::cp1252ToUnicode(byte);
        if (character >= 0x20 && character != 0x7F) {
            SurfacePtr rendered(TTF_RenderGlyph32_Blended(state.font.get(), character,
                                                          SDL_Color{255, 255, 255, 255}));
            if (rendered)
                state.glyphs[byte] = fitToCell(*rendered);
        }
    }
    return state.glyphs[byte].get();
}

void releaseFont() {
    for (SurfacePtr &glyph : state.glyphs)
        glyph.reset();
    state.glyphReady.fill(false);
    state.font.reset();
}

platform::FontMetrics currentMetrics(int32_t ascent) {
    platform::FontMetrics metrics;
    metrics.aveCharWidth = state.cellWidth;
    metrics.height = state.cellHeight;
    metrics.externalLeading = 0;
    metrics.ascent = ascent;
    metrics.overhang = 0;
    return metrics;
}

// Without a face the cells are still laid out (and their backgrounds drawn);
// the game stays playable by ear.
platform::FontMetrics metricsWithoutFace(int32_t width) {
    state.cellWidth = width > 0 ? width : state.cellHeight / 2;
    state.glyphTop = 0;
    return currentMetrics(state.cellHeight * 3 / 4);
}

bool startTtf() {
    if (!state.ttfStarted)
        state.ttfStarted = TTF_Init() == 0;
    return state.ttfStarted;
}

} // namespace

SDL_Rect drawCells(SDL_Surface &target, int32_t x, int32_t y, const uint8_t *bytes, size_t count,
                   SDL_Color fg, SDL_Color bg) {
    const SDL_Rect run{x, y, static_cast<int>(count) * state.cellWidth, state.cellHeight};
    SDL_FillRect(&target, &run, SDL_MapRGB(target.format, bg.r, bg.g, bg.b));
    if (!state.font)
        return run;
    for (size_t i = 0; i < count; ++i) {
        SDL_Surface *glyph = glyphFor(bytes[i]);
        if (glyph == nullptr)
            continue;
        SDL_SetSurfaceColorMod(glyph, fg.r, fg.g, fg.b);
        SDL_Rect cell{x + static_cast<int>(i) * state.cellWidth, y, state.cellWidth,
                      state.cellHeight};
        SDL_BlitSurface(glyph, nullptr, &target, &cell);
    }
    return run;
}

void shutdownFont() {
    releaseFont();
    if (state.ttfStarted) {
        TTF_Quit();
        state.ttfStarted = false;
    }
}

} // namespace sdl_backend

namespace platform {

using namespace sdl_backend;

FontMetrics createFont(const std::string &faceName, int32_t height, int32_t width, int32_t weight) {
    releaseFont();
    state.cellHeight = height > 0 ? height : DefaultCellHeight;
    if (!startTtf()) {
        std::fprintf(stderr, "Cannot start the font renderer: %s\n", TTF_GetError());
        return metricsWithoutFace(width);
    }
    const std::optional<FontFile> file = findConsoleFont(faceName, weight);
    if (!file) {
        std::fprintf(stderr, "No monospaced TrueType font found (fonts-dejavu-core provides "
                             "one); the text is not drawn.\n");
        return metricsWithoutFace(width);
    }
    state.font.reset(TTF_OpenFontIndex(file->path.c_str(), state.cellHeight, file->index));
    if (!state.font) {
        std::fprintf(stderr, "Cannot open the font %s: %s\n", file->path.c_str(), TTF_GetError());
        return metricsWithoutFace(width);
    }
    fitLineSkip(state.font.get(), state.cellHeight);
    if (weight >= 600 && file->weight < FC_WEIGHT_DEMIBOLD)
        TTF_SetFontStyle(state.font.get(), TTF_STYLE_BOLD);
    state.cellWidth = width > 0 ? width : std::max(1, advanceOf(state.font.get(), '0'));
    state.glyphTop = (state.cellHeight - TTF_FontHeight(state.font.get())) / 2;
    return currentMetrics(state.glyphTop + TTF_FontAscent(state.font.get()));
}

void deleteFont() {
    releaseFont();
}

} // namespace platform
