// The single window: an SDL window whose contents live in a software back
// buffer. Drawing goes into the back buffer; the changed area is copied to
// the window at the end of each drawing step and after each Paint. The
// caret is not part of the back buffer: it is inverted into the copy as it
// goes to the window, so moving or removing it needs nothing restored.
#include "platform/cp1252.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/speech_engines.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace sdl_backend {

namespace {

struct WindowDestroyer {
    void operator()(SDL_Window *window) const { SDL_DestroyWindow(window); }
};
struct SurfaceFreer {
    void operator()(SDL_Surface *surface) const { SDL_FreeSurface(surface); }
};
using WindowPtr = std::unique_ptr<SDL_Window, WindowDestroyer>;
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFreer>;

constexpr uint32_t BackBufferFormat = SDL_PIXELFORMAT_RGB888; // 32-bit xRGB
constexpr uint8_t VkF4 = platform::vk::F1 + 3;

struct Caret {
    SDL_Rect area{};
    bool exists = false;
    bool shown = false;
};

struct WindowState {
    platform::WindowProc proc = nullptr;
    bool procDetached = false;
    bool invalid = false;
    bool eraseOnPaint = false;
    int drawDepth = 0;
    bool hasDirty = false;
    SDL_Rect dirty{};
    Caret caret;
    SurfacePtr back;
    SurfacePtr snapshot; // the magnifier's copy of the window
    WindowPtr window;    // last: the window goes first
};

WindowState state;

platform::Message message(platform::Msg kind) {
    platform::Message msg;
    msg.kind = kind;
    return msg;
}

bool sendToProcedure(const platform::Message &msg) {
    return state.proc != nullptr && !state.procDetached && state.proc(msg);
}

SDL_Rect clientArea() {
    return state.back ? SDL_Rect{0, 0, state.back->w, state.back->h} : SDL_Rect{};
}

void markDirty(const SDL_Rect &area) {
    const SDL_Rect client = clientArea();
    SDL_Rect clipped{};
    if (!SDL_IntersectRect(&area, &client, &clipped))
        return;
    if (state.hasDirty)
        SDL_UnionRect(&state.dirty, &clipped, &state.dirty);
    else
        state.dirty = clipped;
    state.hasDirty = true;
}

void invertPixels(SDL_Surface &surface, const SDL_Rect &area) {
    for (int y = area.y; y < area.y + area.h; ++y) {
        auto *row =
            reinterpret_cast<Uint32 *>(static_cast<Uint8 *>(surface.pixels) + y * surface.pitch);
        for (int x = area.x; x < area.x + area.w; ++x)
            row[x] ^= 0x00FFFFFFu;
    }
}

// Copies the changed area of the back buffer to the window, caret included.
void present() {
    if (!state.window || !state.back || !state.hasDirty)
        return;
    SDL_Surface *screen = SDL_GetWindowSurface(state.window.get());
    if (screen == nullptr)
        return;
    SDL_Rect area = state.dirty;
    state.hasDirty = false;
    const SDL_Rect client = clientArea();
    SDL_Rect caretArea{};
    const bool caretVisible = state.caret.exists && state.caret.shown &&
                              SDL_IntersectRect(&state.caret.area, &client, &caretArea);
    if (caretVisible)
        invertPixels(*state.back, caretArea);
    SDL_Rect target = area;
    SDL_BlitSurface(state.back.get(), &area, screen, &target);
    if (caretVisible)
        invertPixels(*state.back, caretArea);
    SDL_UpdateWindowSurfaceRects(state.window.get(), &area, 1);
}

void presentUnlessDrawing() {
    if (state.drawDepth == 0)
        present();
}

void markCaretDirty() {
    if (state.caret.exists && state.caret.shown)
        markDirty(state.caret.area);
}

SurfacePtr newBackBuffer(int width, int height) {
    SurfacePtr surface(SDL_CreateRGBSurfaceWithFormat(0, std::max(width, 1), std::max(height, 1),
                                                      32, BackBufferFormat));
    if (surface)
        SDL_FillRect(surface.get(), nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    return surface;
}

// A new back buffer of the new size keeps what the old one showed at the
// top left; the rest is black until the Paint that follows.
void resizeBackBuffer(int width, int height) {
    SurfacePtr resized = newBackBuffer(width, height);
    if (!resized)
        return;
    if (state.back)
        SDL_BlitSurface(state.back.get(), nullptr, resized.get(), nullptr);
    state.back = std::move(resized);
    state.hasDirty = false;
}

void releaseWindowResources() {
    state.caret = Caret{};
    state.invalid = state.eraseOnPaint = state.hasDirty = false;
    state.drawDepth = 0;
    state.snapshot.reset();
    state.back.reset();
    state.window.reset();
}

void postClose() {
    platform::postMessage(message(platform::Msg::Close));
}

// What Windows' default window procedure does with the messages this
// program may leave unhandled.
void defaultWindowProc(const platform::Message &msg) {
    if (msg.kind == platform::Msg::SysKeyDown && msg.code == VkF4 &&
        (msg.modifiers & platform::ModAlt) != 0)
        postClose();
    else if (msg.kind == platform::Msg::Close)
        platform::destroyWindow();
    else if (msg.kind == platform::Msg::User && msg.code == platform::EngineNotifyMessage)
        platform::serveEngineNotifications();
}

void applySizeLimits(SDL_Window *window, const platform::MinMaxInfo &limits) {
    if (limits.minTrackWidth > 0 && limits.minTrackHeight > 0)
        SDL_SetWindowMinimumSize(window, limits.minTrackWidth, limits.minTrackHeight);
    if (limits.maxWidth > 0 && limits.maxHeight > 0)
        SDL_SetWindowMaximumSize(window, limits.maxWidth, limits.maxHeight);
}

int displayOfWindow() {
    const int index = state.window ? SDL_GetWindowDisplayIndex(state.window.get()) : 0;
    return std::max(index, 0);
}

} // namespace

void handleWindowEvent(const SDL_WindowEvent &event) {
    if (!state.window || event.windowID != SDL_GetWindowID(state.window.get()))
        return;
    switch (event.event) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
        state.invalid = true;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        resizeBackBuffer(event.data1, event.data2);
        state.invalid = state.eraseOnPaint = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        queueMessage(message(platform::Msg::SetFocus));
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        queueMessage(message(platform::Msg::KillFocus));
        break;
    case SDL_WINDOWEVENT_CLOSE:
        queueMessage(message(platform::Msg::Close));
        break;
    default:
        break;
    }
}

bool paintPending() {
    return state.window && state.invalid;
}

bool takePendingPaint(platform::Message &out) {
    if (!paintPending())
        return false;
    state.invalid = false;
    out = message(platform::Msg::Paint);
    const SDL_Rect client = clientArea();
    out.paint = platform::Rect{0, 0, client.w, client.h};
    return true;
}

bool clientContains(int32_t x, int32_t y) {
    const SDL_Rect client = clientArea();
    return x >= 0 && y >= 0 && x < client.w && y < client.h;
}

void shutdownWindow() {
    releaseWindowResources();
}

} // namespace sdl_backend

namespace platform {

using namespace sdl_backend;

void registerWindowProc(WindowProc proc) {
    state.proc = proc;
    state.procDetached = false;
}

SystemMetrics systemMetrics() {
    ensureVideo();
    SystemMetrics metrics;
    // The window manager draws the frame and caption outside the client area.
    metrics.cxFrame = metrics.cyFrame = metrics.cyCaption = 0;
    const int display = displayOfWindow();
    SDL_DisplayMode mode{};
    if (SDL_GetCurrentDisplayMode(display, &mode) == 0) {
        metrics.cxScreen = mode.w;
        metrics.cyScreen = mode.h;
        metrics.workArea = Rect{0, 0, mode.w, mode.h};
    }
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(display, &usable) == 0)
        metrics.workArea = Rect{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
    return metrics;
}

bool createWindow(const std::string &title, int32_t outerWidth, int32_t outerHeight,
                  bool maximised) {
    ensureVideo();
    if (state.window)
        return false;
    MinMaxInfo limits;
    Message minMax = message(Msg::MinMaxInfo);
    minMax.minMax = &limits;
    sendToProcedure(minMax);
    // A maximised window starts at the work area's corner, as on Windows,
    // also where no window manager maximises it (to at most the size limits).
    SDL_Point position{SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED};
    SDL_Rect usable{};
    if (maximised && SDL_GetDisplayUsableBounds(0, &usable) == 0)
        position = SDL_Point{usable.x, usable.y};
    state.window.reset(SDL_CreateWindow(cp1252ToUtf8(title).c_str(), position.x, position.y,
                                        std::max(outerWidth, 1), std::max(outerHeight, 1),
                                        SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN));
    if (!state.window) {
        std::fprintf(stderr, "Cannot create the window: %s\n", SDL_GetError());
        return false;
    }
    applySizeLimits(state.window.get(), limits);
    int width = 0, height = 0;
    SDL_GetWindowSize(state.window.get(), &width, &height);
    state.back = newBackBuffer(width, height);
    if (!state.back) {
        std::fprintf(stderr, "Cannot make the window's picture: %s\n", SDL_GetError());
        releaseWindowResources();
        return false;
    }
    dispatchMessage(message(Msg::Create));
    SDL_ShowWindow(state.window.get());
    if (maximised)
        SDL_MaximizeWindow(state.window.get());
    SDL_StartTextInput();
    state.invalid = true;
    return true;
}

void destroyWindow() {
    if (!state.window)
        return;
    sendToProcedure(message(Msg::Destroy));
    releaseWindowResources();
}

void detachWindowProc() {
    state.procDetached = true;
}

bool windowExists() {
    return state.window != nullptr;
}

bool windowIsActive() {
    return state.window && (SDL_GetWindowFlags(state.window.get()) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

Rect windowRect() {
    if (!state.window)
        return Rect{};
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(state.window.get(), &x, &y);
    SDL_GetWindowSize(state.window.get(), &width, &height);
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(state.window.get(), &top, &left, &bottom, &right) != 0)
        top = left = bottom = right = 0;
    return Rect{x - left, y - top, x + width + right, y + height + bottom};
}

void messageBox(const std::string &text, const std::string &caption) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, cp1252ToUtf8(caption).c_str(),
                             cp1252ToUtf8(text).c_str(), state.window.get());
}

// SDL has no system sounds: the terminal's bell stands in.
void messageBeep() {
    std::fputc('\a', stderr);
}

void setWindowTitle(const std::string &title) {
    if (state.window)
        SDL_SetWindowTitle(state.window.get(), cp1252ToUtf8(title).c_str());
}

void beginDraw() {
    ++state.drawDepth;
}

void endDraw() {
    if (state.drawDepth > 0)
        --state.drawDepth;
    presentUnlessDrawing();
}

void drawText(int32_t x, int32_t y, const uint8_t *bytes, size_t count, Rgb fg, Rgb bg) {
    if (!state.back || count == 0)
        return;
    markDirty(drawCells(*state.back, x, y, bytes, count, SDL_Color{fg.r, fg.g, fg.b, 255},
                        SDL_Color{bg.r, bg.g, bg.b, 255}));
    presentUnlessDrawing();
}

void fillRect(const Rect &r, Rgb colour) {
    if (!state.back)
        return;
    const SDL_Rect area{r.left, r.top, r.right - r.left, r.bottom - r.top};
    SDL_FillRect(state.back.get(), &area,
                 SDL_MapRGB(state.back->format, colour.r, colour.g, colour.b));
    markDirty(area);
    presentUnlessDrawing();
}

void drawImage(int32_t x, int32_t y, int32_t width, int32_t height, const uint32_t *pixels) {
    if (!state.back || width <= 0 || height <= 0)
        return;
    // The picture's pixels are read in place, never written.
    SurfacePtr image(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t *>(pixels), width,
                                                        height, 32, width * 4, BackBufferFormat));
    if (!image)
        return;
    SDL_Rect target{x, y, width, height};
    SDL_BlitSurface(image.get(), nullptr, state.back.get(), &target);
    markDirty(SDL_Rect{x, y, width, height});
    presentUnlessDrawing();
}

bool takeSnapshot() {
    if (!state.back)
        return false;
    state.snapshot.reset(SDL_ConvertSurface(state.back.get(), state.back->format, 0));
    return state.snapshot != nullptr;
}

void stretchSnapshot(const Rect &source, const Rect &destination) {
    if (!state.snapshot || !state.back)
        return;
    SDL_Rect from{source.left, source.top, source.right - source.left, source.bottom - source.top};
    SDL_Rect to{destination.left, destination.top, destination.right - destination.left,
                destination.bottom - destination.top};
    SDL_BlitScaled(state.snapshot.get(), &from, state.back.get(), &to);
    markDirty(to);
    presentUnlessDrawing();
}

void releaseSnapshot() {
    state.snapshot.reset();
}

void scrollUp(const Rect &r, int32_t dy) {
    if (!state.back || dy <= 0)
        return;
    SDL_Surface &back = *state.back;
    const int left = std::max(r.left, 0);
    const int right = std::min(r.right, back.w);
    const int top = std::max({r.top, dy, 0});
    const int bottom = std::min(r.bottom, back.h);
    if (left >= right || top >= bottom)
        return;
    auto *pixels = static_cast<Uint8 *>(back.pixels);
    const size_t rowBytes = static_cast<size_t>(right - left) * 4;
    for (int y = top; y < bottom; ++y)
        std::memmove(pixels + (y - dy) * back.pitch + left * 4, pixels + y * back.pitch + left * 4,
                     rowBytes);
    markDirty(SDL_Rect{left, top - dy, right - left, bottom - top});
    presentUnlessDrawing();
}

void invalidateAll(bool erase) {
    if (!state.window)
        return;
    state.invalid = true;
    state.eraseOnPaint = state.eraseOnPaint || erase;
}

void updateWindow() {
    Message paint;
    if (takePendingPaint(paint))
        dispatchMessage(paint);
}

void createCaret(int32_t width, int32_t height) {
    markCaretDirty();
    state.caret =
        Caret{SDL_Rect{state.caret.area.x, state.caret.area.y, width, height}, true, false};
    presentUnlessDrawing();
}

void setCaretPos(int32_t x, int32_t y) {
    markCaretDirty();
    state.caret.area.x = x;
    state.caret.area.y = y;
    markCaretDirty();
    presentUnlessDrawing();
}

void showCaret() {
    if (!state.caret.exists || state.caret.shown)
        return;
    state.caret.shown = true;
    markCaretDirty();
    presentUnlessDrawing();
}

void destroyCaret() {
    markCaretDirty();
    state.caret = Caret{};
    presentUnlessDrawing();
}

void dispatchMessage(const Message &msg) {
    const bool paint = msg.kind == Msg::Paint;
    if (paint && state.eraseOnPaint && state.back) {
        SDL_FillRect(state.back.get(), nullptr, SDL_MapRGB(state.back->format, 0, 0, 0));
        state.eraseOnPaint = false;
    }
    if (!sendToProcedure(msg))
        defaultWindowProc(msg);
    if (paint && state.back) {
        markDirty(clientArea());
        presentUnlessDrawing();
    }
}

} // namespace platform
