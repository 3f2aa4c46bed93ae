// The thread's message queue is Windows' own. peekMessage takes a message
// with PeekMessageA and keeps it; the dispatchMessage that follows hands it
// to TranslateMessage and DispatchMessageA, so that it reaches the console's
// procedure through the window procedure, as any Windows message does.
#include "platform/win32/win32_internal.h"

#include <cstdlib>

namespace win32_backend {

namespace {

struct MessageState {
    MSG taken{};
    bool holding = false; // `taken` waits for its dispatchMessage
};

MessageState state;

// The Windows message a posted platform message stands for; false for the
// kinds only Windows itself produces.
bool encodeMessage(const platform::Message &msg, UINT &message, WPARAM &wParam) {
    using platform::Msg;
    wParam = msg.code;
    switch (msg.kind) {
    case Msg::User:
        message = msg.code;
        wParam = 0;
        return true;
    case Msg::Close:
        message = WM_CLOSE;
        wParam = 0;
        return true;
    case Msg::Timer:
        message = WM_TIMER;
        wParam = 0;
        return true;
    case Msg::Char:
        message = WM_CHAR;
        return true;
    case Msg::KeyDown:
        message = WM_KEYDOWN;
        return true;
    case Msg::SysKeyDown:
        message = WM_SYSKEYDOWN;
        return true;
    case Msg::KeyUp:
        message = WM_KEYUP;
        return true;
    case Msg::Quit:
        message = WM_QUIT;
        return true;
    default:
        return false;
    }
}

} // namespace

} // namespace win32_backend

namespace platform {

using namespace win32_backend;

// A message the console has no kind for is reported as a Timer, which it
// consumes without effect; dispatching it still runs Windows' handling.
bool peekMessage(Message &out) {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    state.taken = msg;
    state.holding = msg.message != WM_QUIT;
    if (!decodeMessage(msg.message, msg.wParam, msg.lParam, out)) {
        out = Message{};
        out.kind = Msg::Timer;
    }
    return true;
}

void dispatchMessage(const Message &msg) {
    if (state.holding) {
        state.holding = false;
        TranslateMessage(&state.taken);
        DispatchMessageA(&state.taken);
        return;
    }
    UINT message = 0;
    WPARAM wParam = 0;
    if (window() != nullptr && encodeMessage(msg, message, wParam) && message != WM_QUIT)
        SendMessageA(window(), message, wParam, 0);
    else
        sendToProcedure(msg);
}

void waitMessage() {
    WaitMessage();
}

void postMessage(const Message &msg) {
    UINT message = 0;
    WPARAM wParam = 0;
    if (!encodeMessage(msg, message, wParam))
        return;
    if (message == WM_QUIT)
        PostQuitMessage(static_cast<int>(wParam));
    else
        PostMessageA(window(), message, wParam, 0);
}

void postQuitMessage(int32_t exitCode) {
    PostQuitMessage(exitCode);
}

void exitProcess(int32_t code) {
    stopLoopingSound();
    shutdownWaveOut();
    shutdownDrawing();
    deleteFont();
    std::exit(code);
}

} // namespace platform
