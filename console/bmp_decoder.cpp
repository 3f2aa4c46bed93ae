#include "console/bmp_decoder.h"

#include "platform/file.h"

namespace console {

namespace {

constexpr uint32_t InfoHeaderSize = 40;
constexpr uint32_t FileHeaderSize = 14;
// Larger pictures cannot be meant for an 80 x 25 window.
constexpr uint64_t MaxImageBytes = 64u << 20;
constexpr size_t MaxFileBytes = MaxImageBytes + (1u << 20);

uint32_t read32(const std::string &data, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<uint8_t>(data[at + i])) << (8 * i);
    return value;
}

uint16_t read16(const std::string &data, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1])
                                                                      << 8);
}

struct Layout {
    uint32_t width, height, bits, colours;
    uint64_t rowBytes, imageBytes;
    size_t tableAt, pixelsAt;
};

uint32_t paletteColour(const std::string &file, const Layout &layout, uint32_t index) {
    if (index >= layout.colours)
        return 0;
    const size_t at = layout.tableAt + 4 * size_t{index};
    const auto byte = [&](size_t k) {
        return static_cast<uint32_t>(static_cast<uint8_t>(file[at + k]));
    };
    return byte(2) << 16 | byte(1) << 8 | byte(0);
}

// The colour of pixel x of a stored row.
uint32_t pixelAt(const std::string &file, const Layout &layout, size_t row, uint32_t x) {
    const auto rowAt = static_cast<size_t>(layout.pixelsAt + row * layout.rowBytes);
    const auto byte = [&](size_t k) {
        return static_cast<uint32_t>(static_cast<uint8_t>(file[rowAt + k]));
    };
    switch (layout.bits) {
    case 1:
        return paletteColour(file, layout, (byte(x / 8) >> (7 - x % 8)) & 1);
    case 4:
        return paletteColour(file, layout, (byte(x / 2) >> (x % 2 ? 0 : 4)) & 15);
    case 8:
        return paletteColour(file, layout, byte(x));
    case 16: {
        const uint32_t v = byte(2 * size_t{x}) | byte(2 * size_t{x} + 1) << 8;
        const auto five = [](uint32_t c) { return (c << 3) | (c >> 2); };
        return five((v >> 10) & 31) << 16 | five((v >> 5) & 31) << 8 | five(v & 31);
    }
    case 24:
        return byte(3 * size_t{x} + 2) << 16 | byte(3 * size_t{x} + 1) << 8 | byte(3 * size_t{x});
    default:
        return byte(4 * size_t{x} + 2) << 16 | byte(4 * size_t{x} + 1) << 8 | byte(4 * size_t{x});
    }
}

bool supportedDepth(uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

} // namespace

BmpResult decodeBmp(const std::string &file, Picture &picture) {
    if (file.size() < FileHeaderSize + 4 || read32(file, FileHeaderSize) != InfoHeaderSize)
        return BmpResult::WrongHeader;
    if (file.size() < FileHeaderSize + InfoHeaderSize)
        return BmpResult::CannotMake;
    Layout layout{};
    layout.width = read32(file, 18) & 0xFFFF;
    layout.height = read32(file, 22) & 0xFFFF;
    layout.bits = read16(file, 28);
    const uint32_t compression = read32(file, 30);
    const uint32_t colourCount = read32(file, 46);
    if (!supportedDepth(layout.bits) || compression != 0)
        return BmpResult::CannotMake;
    // A colour count of 0 means the full table of the depth.
    if (layout.bits <= 8)
        layout.colours = colourCount == 0 ? 1u << layout.bits : colourCount;
    layout.tableAt = FileHeaderSize + InfoHeaderSize;
    if (uint64_t{layout.colours} > 256 ||
        layout.tableAt + 4 * uint64_t{layout.colours} > file.size())
        return BmpResult::CannotMake;
    layout.rowBytes = (uint64_t{layout.width} * layout.bits + 31) / 32 * 4;
    layout.imageBytes = layout.rowBytes * layout.height;
    layout.pixelsAt = read32(file, 10);
    if (layout.width == 0 || layout.height == 0 || layout.imageBytes > MaxImageBytes ||
        layout.pixelsAt + layout.imageBytes > file.size())
        return BmpResult::CannotMake;
    Picture decoded;
    decoded.width = static_cast<int32_t>(layout.width);
    decoded.height = static_cast<int32_t>(layout.height);
    decoded.pixels.resize(size_t{layout.width} * layout.height);
    // Rows are stored bottom-up.
    for (uint32_t y = 0; y < layout.height; ++y)
        for (uint32_t x = 0; x < layout.width; ++x)
            decoded.pixels[size_t{y} * layout.width + x] =
                pixelAt(file, layout, layout.height - 1 - y, x);
    picture = std::move(decoded);
    return BmpResult::Decoded;
}

BmpResult loadBmpFile(const std::string &path, Picture &picture) {
    std::string file;
    if (!platform::readWholeFile(path, file, MaxFileBytes)) {
        platform::File probe;
        return probe.open(path) ? BmpResult::CannotMake : BmpResult::CannotOpen;
    }
    return decodeBmp(file, picture);
}

} // namespace console
