// Drawing into the window with GDI. Between beginDraw and endDraw one device
// context is held with the console font selected: BeginPaint's while the
// window procedure paints, else the window's own from GetDC. A call made
// outside such a pair takes a context for itself.
#include "platform/win32/win32_internal.h"

#include <algorithm>
#include <memory>

namespace win32_backend {

namespace {

// A GDI object deleted when it goes.
template <typename Handle> class GdiObject {
public:
    explicit GdiObject(Handle handle = nullptr) : handle_(handle) {}
    ~GdiObject() {
        if (handle_ != nullptr)
            DeleteObject(handle_);
    }
    GdiObject(const GdiObject &) = delete;
    GdiObject &operator=(const GdiObject &) = delete;

    Handle get() const { return handle_; }

private:
    Handle handle_;
};

// The magnifier's copy of the window: a memory context holding a bitmap of
// the window's outer size.
class Snapshot {
public:
    Snapshot(HDC windowDc, int width, int height)
        : dc_(CreateCompatibleDC(windowDc)),
          bitmap_(CreateCompatibleBitmap(windowDc, width, height)) {
        if (dc_ != nullptr && bitmap_.get() != nullptr)
            previous_ = SelectObject(dc_, bitmap_.get());
    }
    ~Snapshot() {
        if (previous_ != nullptr)
            SelectObject(dc_, previous_);
        if (dc_ != nullptr)
            DeleteDC(dc_);
    }
    Snapshot(const Snapshot &) = delete;
    Snapshot &operator=(const Snapshot &) = delete;

    bool valid() const { return previous_ != nullptr; }
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    GdiObject<HBITMAP> bitmap_;
    HGDIOBJ previous_ = nullptr;
};

struct DrawState {
    HDC paintDc = nullptr;
    int depth = 0;
    HDC dc = nullptr;
    bool ownDc = false; // from GetDC: released at the end
    HGDIOBJ previousFont = nullptr;
    std::unique_ptr<Snapshot> snapshot;
};

DrawState state;

COLORREF colourRef(platform::Rgb c) {
    return RGB(c.r, c.g, c.b);
}

// beginDraw/endDraw around one call.
class DrawScope {
public:
    DrawScope() { platform::beginDraw(); }
    ~DrawScope() { platform::endDraw(); }
    DrawScope(const DrawScope &) = delete;
    DrawScope &operator=(const DrawScope &) = delete;

    HDC dc() const { return state.dc; }
};

} // namespace

void setPaintContext(HDC dc) {
    state.paintDc = dc;
}

void shutdownDrawing() {
    state.snapshot.reset();
    while (state.depth > 0)
        platform::endDraw();
}

} // namespace win32_backend

namespace platform {

using namespace win32_backend;

void beginDraw() {
    if (state.depth++ > 0)
        return;
    state.ownDc = state.paintDc == nullptr;
    state.dc = state.ownDc ? GetDC(window()) : state.paintDc;
    state.previousFont = state.dc != nullptr ? SelectObject(state.dc, consoleFont()) : nullptr;
}

void endDraw() {
    if (state.depth == 0 || --state.depth > 0)
        return;
    if (state.dc != nullptr) {
        SelectObject(state.dc, state.previousFont);
        if (state.ownDc)
            ReleaseDC(window(), state.dc);
    }
    state.dc = nullptr;
    state.previousFont = nullptr;
}

void drawText(int32_t x, int32_t y, const uint8_t *bytes, size_t count, Rgb fg, Rgb bg) {
    DrawScope scope;
    if (scope.dc() == nullptr || count == 0)
        return;
    SetTextColor(scope.dc(), colourRef(fg));
    SetBkColor(scope.dc(), colourRef(bg));
    SetBkMode(scope.dc(), OPAQUE);
    TextOutA(scope.dc(), x, y, reinterpret_cast<const char *>(bytes), static_cast<int>(count));
}

void fillRect(const Rect &r, Rgb colour) {
    DrawScope scope;
    if (scope.dc() == nullptr)
        return;
    const GdiObject<HBRUSH> brush(CreateSolidBrush(colourRef(colour)));
    HGDIOBJ previous = SelectObject(scope.dc(), brush.get());
    PatBlt(scope.dc(), r.left, r.top, r.right - r.left, r.bottom - r.top, PATCOPY);
    SelectObject(scope.dc(), previous);
}

void scrollUp(const Rect &r, int32_t dy) {
    DrawScope scope;
    if (scope.dc() == nullptr || dy <= 0)
        return;
    BitBlt(scope.dc(), r.left, r.top - dy, r.right - r.left, r.bottom - r.top, scope.dc(), r.left,
           r.top, SRCCOPY);
}

void invalidateAll(bool erase) {
    if (window() != nullptr)
        InvalidateRect(window(), nullptr, erase ? TRUE : FALSE);
}

void updateWindow() {
    if (window() != nullptr)
        UpdateWindow(window());
}

void drawImage(int32_t x, int32_t y, int32_t width, int32_t height, const uint32_t *pixels) {
    DrawScope scope;
    if (scope.dc() == nullptr || width <= 0 || height <= 0)
        return;
    // 0x00RRGGBB words are the blue, green, red, unused bytes of a 32-bit
    // DIB; a negative height makes the top row come first.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(scope.dc(), x, y, width, height, 0, 0, width, height, pixels, &info,
                  DIB_RGB_COLORS, SRCCOPY);
}

bool takeSnapshot() {
    state.snapshot.reset();
    HWND hwnd = window();
    RECT outer{};
    if (hwnd == nullptr || !GetWindowRect(hwnd, &outer))
        return false;
    const int width = std::max<int>(outer.right - outer.left, 1);
    const int height = std::max<int>(outer.bottom - outer.top, 1);
    HDC windowDc = GetDC(hwnd);
    if (windowDc == nullptr)
        return false;
    auto snapshot = std::make_unique<Snapshot>(windowDc, width, height);
    if (snapshot->valid()) {
        BitBlt(snapshot->dc(), 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
        state.snapshot = std::move(snapshot);
    }
    ReleaseDC(hwnd, windowDc);
    return state.snapshot != nullptr;
}

void stretchSnapshot(const Rect &source, const Rect &destination) {
    if (!state.snapshot)
        return;
    DrawScope scope;
    if (scope.dc() == nullptr)
        return;
    StretchBlt(scope.dc(), destination.left, destination.top, destination.right - destination.left,
               destination.bottom - destination.top, state.snapshot->dc(), source.left, source.top,
               source.right - source.left, source.bottom - source.top, SRCCOPY);
}

void releaseSnapshot() {
    state.snapshot.reset();
}

void createCaret(int32_t width, int32_t height) {
    if (window() != nullptr)
        CreateCaret(window(), nullptr, width, height);
}

void setCaretPos(int32_t x, int32_t y) {
    SetCaretPos(x, y);
}

void showCaret() {
    if (window() != nullptr)
        ShowCaret(window());
}

void destroyCaret() {
    DestroyCaret();
}

} // namespace platform
