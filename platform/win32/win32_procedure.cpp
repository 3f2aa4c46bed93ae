// The window procedure of the class "ZbWinCrt": Windows messages become
// platform messages for the console's procedure; what the console leaves
// unhandled goes to DefWindowProcA.
#include "platform/win32/win32_internal.h"

namespace win32_backend {

namespace {

struct ProcedureState {
    platform::WindowProc proc = nullptr;
};

ProcedureState state;

uint8_t modifierState() {
    uint8_t modifiers = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        modifiers |= platform::ModShift;
    if (GetKeyState(VK_CONTROL) < 0)
        modifiers |= platform::ModCtrl;
    if (GetKeyState(VK_MENU) < 0)
        modifiers |= platform::ModAlt;
    return modifiers;
}

platform::Message withKind(platform::Msg kind, uint32_t code = 0) {
    platform::Message msg;
    msg.kind = kind;
    msg.code = code;
    msg.modifiers = modifierState();
    return msg;
}

platform::Message mouseMessage(platform::Msg kind, LPARAM lParam) {
    platform::Message msg = withKind(kind);
    msg.x = LOWORD(lParam);
    msg.y = HIWORD(lParam);
    return msg;
}

// WM_PAINT: the console draws into BeginPaint's context.
LRESULT paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    platform::Message msg = withKind(platform::Msg::Paint);
    msg.paint =
        platform::Rect{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom};
    setPaintContext(dc);
    sendToProcedure(msg);
    setPaintContext(nullptr);
    EndPaint(hwnd, &ps);
    return 0;
}

// WM_GETMINMAXINFO: the console gives the limits; zero leaves Windows' own.
LRESULT sizeLimits(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    platform::MinMaxInfo limits;
    platform::Message msg = withKind(platform::Msg::MinMaxInfo);
    msg.minMax = &limits;
    if (!sendToProcedure(msg))
        return DefWindowProcA(hwnd, WM_GETMINMAXINFO, wParam, lParam);
    auto *info = reinterpret_cast<MINMAXINFO *>(lParam);
    if (limits.maxWidth > 0 && limits.maxHeight > 0) {
        info->ptMaxSize = POINT{limits.maxWidth, limits.maxHeight};
        info->ptMaxTrackSize = info->ptMaxSize;
    }
    if (limits.minTrackWidth > 0 && limits.minTrackHeight > 0)
        info->ptMinTrackSize = POINT{limits.minTrackWidth, limits.minTrackHeight};
    return 0;
}

} // namespace

bool decodeMessage(UINT message, WPARAM wParam, LPARAM lParam, platform::Message &out) {
    using platform::Msg;
    const auto low = static_cast<uint32_t>(wParam & 0xFF);
    switch (message) {
    case WM_CREATE:
        out = withKind(Msg::Create);
        return true;
    case WM_DESTROY:
        out = withKind(Msg::Destroy);
        return true;
    case WM_CLOSE:
        out = withKind(Msg::Close);
        return true;
    case WM_SETFOCUS:
        out = withKind(Msg::SetFocus);
        return true;
    case WM_KILLFOCUS:
        out = withKind(Msg::KillFocus);
        return true;
    case WM_KEYDOWN:
        out = withKind(Msg::KeyDown, low);
        return true;
    case WM_SYSKEYDOWN:
        out = withKind(Msg::SysKeyDown, low);
        return true;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        out = withKind(Msg::KeyUp, low);
        return true;
    case WM_CHAR:
        out = withKind(Msg::Char, low);
        return true;
    case WM_RBUTTONDOWN:
        out = mouseMessage(Msg::RButtonDown, lParam);
        return true;
    case WM_MOUSEMOVE:
        out = mouseMessage(Msg::MouseMove, lParam);
        return true;
    case WM_RBUTTONUP:
        out = mouseMessage(Msg::RButtonUp, lParam);
        return true;
    case WM_TIMER:
        out = withKind(Msg::Timer);
        return true;
    case MM_WOM_DONE:
        out = withKind(Msg::WaveDone,
                       static_cast<uint32_t>(reinterpret_cast<const WAVEHDR *>(lParam)->dwUser));
        return true;
    case WM_QUIT:
        out = withKind(Msg::Quit, static_cast<uint32_t>(wParam));
        return true;
    default:
        if (message >= WM_USER && message < 0x8000) {
            out = withKind(Msg::User, message);
            return true;
        }
        return false;
    }
}

void setProcedure(platform::WindowProc proc) {
    state.proc = proc;
}

bool sendToProcedure(const platform::Message &msg) {
    return state.proc != nullptr && state.proc(msg);
}

LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) {
        forgetWindow();
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    noteWindow(hwnd);
    if (message == WM_PAINT)
        return paint(hwnd);
    if (message == WM_GETMINMAXINFO)
        return sizeLimits(hwnd, wParam, lParam);
    platform::Message msg;
    if (decodeMessage(message, wParam, lParam, msg) && sendToProcedure(msg))
        return 0;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace win32_backend
