// Start and end of the console module, and the program's standard streams
// bound to the window.
#include "console/console_state.h"

#include <iostream>
#include <streambuf>

namespace console {

namespace {

// Standard output: every write goes to the window at once and is followed
// by a pump, so that the window stays responsive while text is produced.
class WindowOutput : public std::streambuf {
protected:
    int_type overflow(int_type c) override {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        const auto byte = static_cast<uint8_t>(c);
        writeChars(&byte, 1);
        keyPressed();
        return c;
    }
    std::streamsize xsputn(const char *text, std::streamsize count) override {
        write(std::string(text, static_cast<size_t>(count)));
        return count;
    }
};

// Standard input: one line at a time from the window's line reader.
class WindowInput : public std::streambuf {
protected:
    int_type underflow() override {
        if (gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        const uint16_t length = readLine(line_, sizeof line_);
        setg(reinterpret_cast<char *>(line_), reinterpret_cast<char *>(line_),
             reinterpret_cast<char *>(line_) + length);
        return length ? traits_type::to_int_type(*gptr()) : traits_type::eof();
    }

private:
    uint8_t line_[128] = {};
};

struct Streams {
    WindowOutput output;
    WindowInput input;
    std::streambuf *previousOutput = nullptr;
    std::streambuf *previousInput = nullptr;
    // The standard streams outlive this object: they must not keep pointing
    // at its buffers when the program ends through exit().
    ~Streams() { unbindStandardStreams(); }
};

Streams streams;

} // namespace

void moduleStart() {
    state() = ConsoleState{};
    for (uint8_t i = 0; i < 16; ++i)
        state().remap[i] = i;
    state().title = platform::moduleFileName().substr(0, 79);
    platform::registerWindowProc(&windowProcedure);
}

void moduleEnd() {
    stopTone();
    unbindStandardStreams();
}

void bindStandardStreams() {
    if (!streams.previousOutput)
        streams.previousOutput = std::cout.rdbuf(&streams.output);
    if (!streams.previousInput)
        streams.previousInput = std::cin.rdbuf(&streams.input);
}

void unbindStandardStreams() {
    if (streams.previousOutput)
        std::cout.rdbuf(streams.previousOutput);
    if (streams.previousInput)
        std::cin.rdbuf(streams.previousInput);
    streams.previousOutput = streams.previousInput = nullptr;
}

// Text is handed to the window in pieces of at most 128 bytes, the size of
// the output stream's buffer, with a pump after each piece.
void write(const std::string &text) {
    for (size_t at = 0; at < text.size(); at += 128) {
        const size_t n = std::min<size_t>(128, text.size() - at);
        writeChars(reinterpret_cast<const uint8_t *>(text.data() + at), static_cast<uint16_t>(n));
        keyPressed();
    }
}

void writeLine(const std::string &text) {
    write(text + "\r\n");
}

} // namespace console
