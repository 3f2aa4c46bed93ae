// The console font: one GDI font made by CreateFontA, measured on the
// screen's context.
#include "platform/win32/win32_internal.h"

namespace win32_backend {

namespace {

// Used when the configuration names no face.
constexpr const char *FallbackFace = "Courier New";

class Font {
public:
    Font() = default;
    ~Font() { reset(nullptr); }
    Font(const Font &) = delete;
    Font &operator=(const Font &) = delete;

    HFONT get() const { return handle_; }
    void reset(HFONT handle) {
        if (handle_ != nullptr)
            DeleteObject(handle_);
        handle_ = handle;
    }

private:
    HFONT handle_ = nullptr;
};

struct FontState {
    Font font;
};

FontState state;

platform::FontMetrics measure(HFONT font) {
    platform::FontMetrics metrics;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr)
        return metrics;
    HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICA tm{};
    if (GetTextMetricsA(screen, &tm)) {
        metrics.aveCharWidth = tm.tmAveCharWidth;
        metrics.height = tm.tmHeight;
        metrics.externalLeading = tm.tmExternalLeading;
        metrics.ascent = tm.tmAscent;
        metrics.overhang = tm.tmOverhang;
    }
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return metrics;
}

} // namespace

HFONT consoleFont() {
    if (state.font.get() != nullptr)
        return state.font.get();
    return static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
}

} // namespace win32_backend

namespace platform {

using namespace win32_backend;

FontMetrics createFont(const std::string &faceName, int32_t height, int32_t width, int32_t weight) {
    const char *face = faceName.empty() ? FallbackFace : faceName.c_str();
    state.font.reset(CreateFontA(height, width, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH, face));
    return measure(consoleFont());
}

void deleteFont() {
    state.font.reset(nullptr);
}

} // namespace platform
