// The single window: class "ZbWinCrt" registered once, one overlapped
// window created on demand, its title, size and place on the screen.
#include "platform/win32/win32_internal.h"

namespace win32_backend {

namespace {

constexpr const char *ClassName = "ZbWinCrt";

struct WindowState {
    bool registered = false;
    HWND hwnd = nullptr;
};

WindowState state;

bool registerClass() {
    if (state.registered)
        return true;
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = windowProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = ClassName;
    state.registered = RegisterClassA(&wc) != 0;
    return state.registered;
}

} // namespace

HWND window() {
    return state.hwnd;
}

void noteWindow(HWND hwnd) {
    state.hwnd = hwnd;
}

void forgetWindow() {
    state.hwnd = nullptr;
}

} // namespace win32_backend

namespace platform {

using namespace win32_backend;

void registerWindowProc(WindowProc proc) {
    setProcedure(proc);
    registerClass();
}

void messageBox(const std::string &text, const std::string &caption) {
    MessageBoxA(state.hwnd, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING | MB_TASKMODAL);
}

void messageBeep() {
    MessageBeep(0);
}

SystemMetrics systemMetrics() {
    SystemMetrics metrics;
    metrics.cxFrame = GetSystemMetrics(SM_CXFRAME);
    metrics.cyFrame = GetSystemMetrics(SM_CYFRAME);
    metrics.cyCaption = GetSystemMetrics(SM_CYCAPTION);
    metrics.cxScreen = GetSystemMetrics(SM_CXSCREEN);
    metrics.cyScreen = GetSystemMetrics(SM_CYSCREEN);
    RECT work{};
    if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
        metrics.workArea = Rect{work.left, work.top, work.right, work.bottom};
    else
        metrics.workArea = Rect{0, 0, metrics.cxScreen, metrics.cyScreen};
    return metrics;
}

bool createWindow(const std::string &title, int32_t outerWidth, int32_t outerHeight,
                  bool maximised) {
    if (state.hwnd != nullptr || !registerClass())
        return false;
    HWND hwnd = CreateWindowA(ClassName, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, outerWidth, outerHeight, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (hwnd == nullptr)
        return false;
    state.hwnd = hwnd;
    ShowWindow(hwnd, maximised ? SW_SHOWMAXIMIZED : SW_SHOW);
    UpdateWindow(hwnd);
    return true;
}

void destroyWindow() {
    if (state.hwnd == nullptr)
        return;
    shutdownDrawing();
    DestroyWindow(state.hwnd);
    state.hwnd = nullptr;
}

// From now on Windows' default procedure serves the window alone, as for a
// window whose procedure was replaced by DefWindowProcA.
void detachWindowProc() {
    if (state.hwnd != nullptr)
        SetWindowLongPtrA(state.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
}

bool windowExists() {
    return state.hwnd != nullptr && IsWindow(state.hwnd);
}

bool windowIsActive() {
    return state.hwnd != nullptr && GetActiveWindow() == state.hwnd;
}

Rect windowRect() {
    RECT r{};
    if (state.hwnd == nullptr || !GetWindowRect(state.hwnd, &r))
        return Rect{};
    return Rect{r.left, r.top, r.right, r.bottom};
}

void setWindowTitle(const std::string &title) {
    if (state.hwnd != nullptr)
        SetWindowTextA(state.hwnd, title.c_str());
}

} // namespace platform
