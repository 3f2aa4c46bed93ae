// The console window: an 80 x 25 grid of character and colour cells with a
// cursor and a text sub-window, keyboard input through a key queue, the
// message pumps every waiting loop uses, and a tone generator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace console {

constexpr int Columns = 80;
constexpr int Rows = 25;

// Module start and end (run by the program entry before and after the game).
void moduleStart();
void moduleEnd();
// Binds the program's standard output and input streams to the window.
void bindStandardStreams();
void unbindStandardStreams();

// ---- text window (1-based coordinates relative to the text window) ----
void clearScreen();
void clearEol();
void gotoXY(int32_t x, int32_t y);
int32_t whereX();
int32_t whereY();
void setWindow(uint8_t x1, uint8_t y1, uint8_t x2, uint8_t y2);
void textBackground(uint8_t colour);
void setTitle(const std::string &text);
// The process ends with the exit code last set (0 unless a fatal path set
// another), so that a failed start is not reported as success.
void setExitCode(int32_t code);
[[noreturn]] void doneConsole();
void writeChars(const uint8_t *bytes, uint16_t count);

// Plain text output, the standard output stream's sink: every write is
// flushed at once and followed by keyPressed.
void write(const std::string &text);
void writeLine(const std::string &text = "");

int32_t windowOuterWidth();
int32_t windowOuterHeight();

// Read access for tests and the transcript.
uint8_t cellChar(int column, int row); // 0-based absolute
uint8_t cellAttr(int column, int row);

// ---- keyboard and pumps ----
bool keyPressed();
uint8_t readKey();
void processMessages();
void delayMs(uint16_t ms);
void waitMessage();
uint16_t readLine(uint8_t *buffer, uint16_t capacity);
std::string readLineText(); // the standard input stream: one line, without CR LF
void postMessage(uint32_t userMessage);
// The Braille typing modes: off; chords typed as their table's characters;
// chords with the number, capital and caps-lock signs applied.
constexpr int32_t BrailleOff = 0;
constexpr int32_t BrailleChords = 1;
constexpr int32_t BrailleWithSigns = 2;
void setBrailleMode(int32_t mode);
int32_t brailleMode();

// The wave player's block-done handler slot.
using WaveDoneHandler = void (*)(uint32_t blockId);
void setWaveDoneHandler(WaveDoneHandler handler);

// ---- pictures ----
// One picture (a BMP file) drawn over the text until it is hidden. A load
// that fails keeps the previous picture.
bool loadPicture(const std::string &fileName);
void showPicture(int32_t x, int32_t y);
void hidePicture();
int32_t pictureWidth();
int32_t pictureHeight();

// ---- tones ----
void beepTone(uint16_t hz);
void stopTone();

} // namespace console
