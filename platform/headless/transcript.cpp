// The transcript as text lines, one event a line.
#include "platform/cp1252.h"
#include "platform/headless/headless.h"

#include <cstdio>

namespace headless {

namespace {

// Windows-1252 text as UTF-8 with the control bytes escaped. A CR before an
// LF is dropped, so a line end reads "\n".
std::string escape(const std::string &bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<uint8_t>(bytes[i]);
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 32 || c == 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += platform::cp1252ToUtf8(std::string(1, static_cast<char>(c)));
        }
    }
    return out;
}

// Consecutive writes are joined and cut into lines after each line feed.
void appendTextLines(std::string &out, const std::string &text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        out += "text " + escape(text.substr(start, end - start)) + "\n";
        start = end;
    }
}

// Whether a write goes on where the previous one left the cursor, on the
// same row with no control byte in between.
bool continues(const Event &previous, const Event &next) {
    for (const char c : previous.text)
        if (static_cast<uint8_t>(c) < 32)
            return false;
    return next.row == previous.row &&
           next.column == previous.column + static_cast<int32_t>(previous.text.size());
}

} // namespace

std::string transcriptText() {
    std::string out;
    std::string pendingText;
    const Event *previousText = nullptr;
    for (const auto &event : transcript()) {
        if (event.kind == Event::Kind::Text) {
            if (previousText && !continues(*previousText, event) && !pendingText.empty() &&
                pendingText.back() != '\n') {
                appendTextLines(out, pendingText);
                pendingText.clear();
            }
            pendingText += event.text;
            previousText = &event;
            continue;
        }
        previousText = nullptr;
        appendTextLines(out, pendingText);
        pendingText.clear();
        switch (event.kind) {
        case Event::Kind::Sound:
            out += "sound " + event.text + " " + std::to_string(event.value) +
                   (event.cut ? " cut" : "") + "\n";
            break;
        case Event::Kind::Tone:
            out += "tone " + std::to_string(event.value) + "\n";
            break;
        case Event::Kind::Title:
            out += "title " + escape(event.text) + "\n";
            break;
        case Event::Kind::Exit:
            out += "exit " + std::to_string(static_cast<int32_t>(event.value)) + "\n";
            break;
        case Event::Kind::Picture:
            out += "picture " + escape(event.text) + "\n";
            break;
        case Event::Kind::MessageBox:
            out += "messagebox " + escape(event.text) + "\n";
            break;
        case Event::Kind::Beep:
            out += "beep\n";
            break;
        case Event::Kind::Engine:
            out += "engine " + escape(event.text) + "\n";
            break;
        case Event::Kind::Text:
            break;
        }
    }
    appendTextLines(out, pendingText);
    return out;
}

} // namespace headless
