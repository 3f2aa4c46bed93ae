// Decoding of BMP files with the 40-byte info header into 24-bit colour
// pixels, top row first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace console {

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, row-major, top row first
};

enum class BmpResult {
    Decoded,
    CannotOpen,  // the file cannot be read
    WrongHeader, // the info header is not the 40-byte one
    CannotMake,  // unsupported depth or compression, absurd size, data missing
};

// Decodes a BMP file image held in memory.
BmpResult decodeBmp(const std::string &file, Picture &picture);
// Reads and decodes a BMP file.
BmpResult loadBmpFile(const std::string &path, Picture &picture);

} // namespace console
