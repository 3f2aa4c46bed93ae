// What the files of the win32 backend offer each other. Each file keeps its
// own state; these calls are the only way between them.
#pragma once

#include "platform/platform.h"

#include <windows.h>

namespace win32_backend {

// ---- window (win32_window.cpp) ----
// The console window, or nullptr before it is created and after it is gone.
HWND window();
// The window procedure records the handle it is called with, so that the
// window is known while it is being created, and forgets it when it goes.
void noteWindow(HWND hwnd);
void forgetWindow();

// ---- window procedure (win32_procedure.cpp) ----
// The platform message a Windows message stands for; false for messages the
// console has no kind for (Windows handles those alone).
bool decodeMessage(UINT message, WPARAM wParam, LPARAM lParam, platform::Message &out);
LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void setProcedure(platform::WindowProc proc);
// Hands a message to the console's procedure; false when it did not handle it.
bool sendToProcedure(const platform::Message &msg);

// ---- drawing (win32_draw.cpp) ----
// Set by the window procedure around WM_PAINT: drawing then goes to the
// context BeginPaint gave.
void setPaintContext(HDC dc);
void shutdownDrawing();

// ---- font (win32_font.cpp) ----
// The console font, or the stock SYSTEM_FIXED_FONT when none was made.
HFONT consoleFont();

// ---- wave-out device (win32_wave_out.cpp) ----
void shutdownWaveOut();

} // namespace win32_backend
