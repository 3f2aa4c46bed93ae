// The platform layer: the only door between the program and the host system.
//
// Everything above this header is portable C++. A backend (sdl, headless,
// win32) implements these functions. The model is deliberately the Windows
// one the program was designed around: one window with a registered window
// procedure, a thread message queue served by pumps, a wave-out device that
// reports finished blocks as messages, private-profile configuration files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Windows virtual-key codes used by the console.
namespace vk {
constexpr uint8_t Back = 0x08, Tab = 0x09, Return = 0x0D, Shift = 0x10, Control = 0x11, Menu = 0x12,
                  Cancel = 0x03, Escape = 0x1B, Space = 0x20, Prior = 0x21, Next = 0x22, End = 0x23,
                  Home = 0x24, Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28, Insert = 0x2D,
                  Delete = 0x2E, F1 = 0x70, F11 = 0x7A, F12 = 0x7B;
} // namespace vk

// Message kinds, named after the Windows messages they stand for.
enum class Msg : uint16_t {
    Create,      // WM_CREATE: sent synchronously by createWindow
    Destroy,     // WM_DESTROY: sent synchronously by destroyWindow
    Paint,       // WM_PAINT: generated while part of the window is invalid
    MinMaxInfo,  // WM_GETMINMAXINFO: the procedure fills Message::minMax
    Close,       // WM_CLOSE: the close box, Alt+F4
    SetFocus,    // WM_SETFOCUS
    KillFocus,   // WM_KILLFOCUS
    KeyDown,     // WM_KEYDOWN, code = virtual key
    SysKeyDown,  // WM_SYSKEYDOWN (Alt held), code = virtual key
    KeyUp,       // WM_KEYUP / WM_SYSKEYUP, code = virtual key
    Char,        // WM_CHAR, code = Windows-1252 byte
    RButtonDown, // WM_RBUTTONDOWN, x, y = client position
    MouseMove,   // WM_MOUSEMOVE
    RButtonUp,   // WM_RBUTTONUP
    Timer,       // WM_TIMER
    WaveDone,    // MM_WOM_DONE, code = block id given to waveWrite
    User,        // WM_USER + n private messages, code = the full message number
    Quit,        // WM_QUIT, code = exit code
};

// Modifier state at the moment the message was produced (GetKeyState).
enum Modifier : uint8_t { ModShift = 1, ModCtrl = 2, ModAlt = 4 };

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct MinMaxInfo {
    int32_t maxWidth = 0, maxHeight = 0;           // maximised and largest tracking size
    int32_t minTrackWidth = 0, minTrackHeight = 0; // smallest tracking size
};

struct Message {
    Msg kind = Msg::Timer;
    uint32_t code = 0; // virtual key, character, block id, user message number, exit code
    uint8_t modifiers = 0;
    int32_t x = 0, y = 0; // mouse position in client pixels
    Rect paint;           // Paint: the invalid rectangle in client pixels
    MinMaxInfo *minMax = nullptr;
};

// The window procedure registered by the console. Returns true when the
// message was handled, false to let the backend's default procedure act
// (for example Close on Alt+F4 reached through SysKeyDown).
using WindowProc = bool (*)(const Message &);

// ---- window -------------------------------------------------------------

struct FontMetrics {
    int32_t aveCharWidth = 8, height = 16, externalLeading = 0, ascent = 12, overhang = 0;
};

struct SystemMetrics {
    int32_t cxFrame = 4, cyFrame = 4, cyCaption = 23; // SM_CXFRAME, SM_CYFRAME, SM_CYCAPTION
    int32_t cxScreen = 1024, cyScreen = 768;          // SM_CXSCREEN, SM_CYSCREEN
    Rect workArea{0, 0, 1024, 734};                   // SPI_GETWORKAREA
};

void registerWindowProc(WindowProc proc);
SystemMetrics systemMetrics();

// Creates the console font (face name falls back to a monospaced face when
// absent; height and width 0 mean the backend's default) and returns its metrics.
FontMetrics createFont(const std::string &faceName, int32_t height, int32_t width, int32_t weight);
void deleteFont();

// Creates the single window with the given outer size and shows it. The
// backend sends Msg::Create through the window procedure before returning.
bool createWindow(const std::string &title, int32_t outerWidth, int32_t outerHeight,
                  bool maximised);
// Sends Msg::Destroy through the window procedure while the window still
// exists, unless the procedure was detached first with detachWindowProc.
void destroyWindow();
void detachWindowProc();
bool windowExists();
bool windowIsActive();
Rect windowRect(); // outer rectangle in screen pixels
void setWindowTitle(const std::string &title);

// Drawing. Between beginDraw and endDraw the backend accepts text and fills.
struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};
void beginDraw();
void endDraw();
void drawText(int32_t x, int32_t y, const uint8_t *bytes, size_t count, Rgb fg, Rgb bg);
void fillRect(const Rect &r, Rgb colour);
// Moves the pixels of `r` up by `dy` pixels (BitBlt within the window).
void scrollUp(const Rect &r, int32_t dy);
void invalidateAll(bool erase);
void updateWindow(); // serve a pending Paint at once

// Pictures: `pixels` (0x00RRGGBB, top row first) drawn over the window with
// their top-left corner at (x, y) in client pixels.
void drawImage(int32_t x, int32_t y, int32_t width, int32_t height, const uint32_t *pixels);

// The magnifier: a copy of the window's current pixels, and a blit of part
// of that copy stretched over a rectangle of the window.
bool takeSnapshot();
void stretchSnapshot(const Rect &source, const Rect &destination);
void releaseSnapshot();

// The caret shown while the console reads a key.
void createCaret(int32_t width, int32_t height);
void setCaretPos(int32_t x, int32_t y);
void showCaret();
void destroyCaret();

// ---- messages -------------------------------------------------------------

// Removes the next message of the thread queue; false when none is waiting.
bool peekMessage(Message &out);
// Passes a message to the registered window procedure; when the procedure
// does not handle it the backend's default procedure runs.
void dispatchMessage(const Message &msg);
// Blocks until a message is waiting (WaitMessage).
void waitMessage();
// Thread-safe: queue a message for the main thread (PostMessage).
void postMessage(const Message &msg);
void postQuitMessage(int32_t exitCode);

// Ends the process now. Never returns.
[[noreturn]] void exitProcess(int32_t code);

// ---- time -----------------------------------------------------------------

void sleepMs(uint32_t ms);
uint64_t tickMs();
struct TimeOfDay {
    int32_t hour = 0, minute = 0, second = 0, millisecond = 0;
};
TimeOfDay utcTimeOfDay();

// ---- wave-out device ------------------------------------------------------

// Result codes as the Windows multimedia API gives them.
constexpr int32_t WaveOk = 0, WaveBadDeviceId = 2, WaveAllocated = 4, WaveInvalidHandle = 5,
                  WaveNoDriver = 6, WaveNoMem = 7, WaveStillPlaying = 33;

struct WaveFormat {
    uint32_t rate = 11025;
    uint16_t bits = 8;
    uint16_t channels = 1;
};

int32_t waveOpen(const WaveFormat &format);
// Queues a block; the memory stays owned by the caller and valid until the
// backend posts Msg::WaveDone with the same block id.
int32_t waveWrite(uint32_t blockId, const uint8_t *data, uint32_t length);
int32_t waveUnprepare(uint32_t blockId);
void waveReset(); // every queued block is returned (WaveDone posted) at once
void waveClose();

// A looping sound played from a complete WAV image in memory (sndPlaySound
// with SND_LOOP). The memory stays valid until stopLoopingSound.
void playLoopingSound(const uint8_t *wavImage, size_t size);
void stopLoopingSound();

// ---- files and configuration ----------------------------------------------

// Maps a path of the program (Windows form, or native) to a host path.
std::string nativePath(const std::string &path);
bool fileExists(const std::string &path);      // a regular file: no directory, FIFO or device
bool directoryExists(const std::string &path); // with or without a final separator
std::string currentDirectory();
bool setCurrentDirectory(const std::string &path);
std::string windowsDirectory();
std::string moduleFileName();

// The player's own ZEBUNA.INI, which stands for the one in the Windows
// directory when it exists (unless a --config file or a Windows directory
// was given). POSIX hosts: $XDG_CONFIG_HOME/galdrino/ZEBUNA.INI, else
// ~/.config/galdrino/ZEBUNA.INI. Windows: none (empty), the file in the
// Windows directory is the player's.
std::string userConfigFile();
// Lookups pass the player's own copy by, to the installed ZEBUNA.INI.
void ignoreUserConfig(bool ignored);

// What keeps a program from starting with its installed data and the
// player's settings. POSIX hosts check the data tree (the drive root) and
// the player's own ZEBUNA.INI; Windows checks nothing.
enum class StartProblem {
    None,
    DataMissing,      // the data tree does not exist
    DataUnreadable,   // it is not a directory the program may read
    ConfigUnreadable, // the player's ZEBUNA.INI cannot be read
    ConfigEmpty,      // it holds no setting at all
    ConfigDamaged,    // a line of it is not a setting, a section or a comment
};
struct StartCheck {
    StartProblem problem = StartProblem::None;
    std::string path; // the directory or file concerned, native
    int32_t line = 0; // ConfigDamaged: the first bad line, from 1
};
StartCheck checkInstallation();

// GetPrivateProfileString: a file name without a directory is looked up in
// the Windows directory. The value is cut to capacity - 1 characters.
std::string profileString(const std::string &file, const std::string &section,
                          const std::string &key, const std::string &defaultValue, size_t capacity);

// ---- dialogs, registry, libraries -------------------------------------------

// A modal message box with an OK button (MessageBox); returns once closed.
void messageBox(const std::string &text, const std::string &caption);
// The short system sound of a failed request (MessageBeep).
void messageBeep();

// Registry values, read as RegOpenKeyEx (KEY_READ), RegQueryValueEx for the
// size, RegQueryValueEx for the data, RegCloseKey. False when any step fails.
enum class RegistryRoot { LocalMachine, CurrentUser };
constexpr uint32_t RegistryString = 1; // REG_SZ
struct RegistryValue {
    uint32_t type = 0;
    std::string data; // the raw bytes, with a string's terminating NUL
};
bool readRegistryValue(RegistryRoot root, const std::string &key, const std::string &valueName,
                       RegistryValue &out);

// Run-time libraries (LoadLibrary, GetProcAddress, FreeLibrary). The name is
// the Windows file name ("mbrola.dll"); each backend says where it looks.
using LibraryHandle = void *;
LibraryHandle loadLibrary(const std::string &name);
void *librarySymbol(LibraryHandle library, const char *name);
void freeLibrary(LibraryHandle library);

// ---- transcript hooks -----------------------------------------------------
// What the program does that a test wants to see and that the calls above
// do not carry. The desktop backends ignore them.
namespace trace {
void text(const uint8_t *bytes, size_t count, int32_t column, int32_t row, uint8_t attr);
void soundStart(const std::string &name); // a recording's file name, or "image"
void tone(uint32_t hz);
// What a speech engine did: "speak <text>", "begin", "end", "cancel", ...
void engine(const std::string &what);
} // namespace trace

} // namespace platform
