// Windows: an argument from the ANSI code page to Windows-1252 (the same
// bytes on the machines the program is made for, a conversion elsewhere),
// and the console's output code page set to UTF-8.
#include "platform/command_line.h"

#include <windows.h>

namespace {

constexpr UINT Windows1252 = 1252;

} // namespace

namespace platform {

std::string textArgument(const char *argument) {
    const int wideSize = MultiByteToWideChar(CP_ACP, 0, argument, -1, nullptr, 0);
    if (wideSize <= 1)
        return {};
    std::wstring wide(static_cast<size_t>(wideSize), L'\0');
    MultiByteToWideChar(CP_ACP, 0, argument, -1, wide.data(), wideSize);
    const int size =
        WideCharToMultiByte(Windows1252, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(Windows1252, 0, wide.c_str(), -1, text.data(), size, nullptr, nullptr);
    text.pop_back(); // the NUL
    return text;
}

void writeUtf8ToConsole() {
    SetConsoleOutputCP(CP_UTF8);
}

} // namespace platform
