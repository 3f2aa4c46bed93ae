#include "tools/appicon/png_writer.h"

#include <algorithm>
#include <array>

namespace appicon {
namespace {

constexpr size_t MaxStoredBlock = 65535;

void putBig(std::string &out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

uint32_t crc32(const std::string &bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (const char byte : bytes)
        c = table[(c ^ static_cast<uint8_t>(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t adler32(const std::string &bytes) {
    uint32_t a = 1, b = 0;
    for (const char byte : bytes) {
        a = (a + static_cast<uint8_t>(byte)) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string storedZlib(const std::string &data) {
    std::string out = "\x78\x01";
    size_t pos = 0;
    do {
        const size_t n = std::min(MaxStoredBlock, data.size() - pos);
        const bool last = pos + n == data.size();
        out += static_cast<char>(last ? 1 : 0);
        const auto len = static_cast<uint16_t>(n);
        out += static_cast<char>(len & 0xFF);
        out += static_cast<char>(len >> 8);
        out += static_cast<char>(~len & 0xFF);
        out += static_cast<char>((~len >> 8) & 0xFF);
        out.append(data, pos, n);
        pos += n;
    } while (pos < data.size());
    putBig(out, adler32(data));
    return out;
}

void putChunk(std::string &out, const char *type, const std::string &data) {
    putBig(out, static_cast<uint32_t>(data.size()));
    const std::string typed = std::string(type) + data;
    out += typed;
    putBig(out, crc32(typed));
}

// The source pixels, counted from the square's edge, that target pixel t of
// `size` covers: at least one.
struct Span {
    int32_t begin, end;
};
Span spanOf(int32_t t, int32_t side, int32_t size) {
    const int32_t begin = t * side / size;
    return {begin, std::max(begin + 1, (t + 1) * side / size)};
}

uint32_t pixelAt(const Image &image, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height)
        return image.pixels.front();
    return image
        .pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
}

} // namespace

Image scaleSquare(const Image &source, int32_t x, int32_t y, int32_t side, int32_t size) {
    Image out;
    out.width = out.height = size;
    out.pixels.resize(static_cast<size_t>(size) * static_cast<size_t>(size));
    for (int32_t ty = 0; ty < size; ++ty) {
        const Span rows = spanOf(ty, side, size);
        for (int32_t tx = 0; tx < size; ++tx) {
            const Span columns = spanOf(tx, side, size);
            std::array<uint32_t, 3> sum{};
            uint32_t count = 0;
            for (int32_t sy = y + rows.begin; sy < y + rows.end; ++sy) {
                for (int32_t sx = x + columns.begin; sx < x + columns.end; ++sx) {
                    const uint32_t p = pixelAt(source, sx, sy);
                    sum[0] += (p >> 16) & 0xFF;
                    sum[1] += (p >> 8) & 0xFF;
                    sum[2] += p & 0xFF;
                    ++count;
                }
            }
            uint32_t pixel = 0;
            for (const uint32_t channel : sum)
                pixel = (pixel << 8) | ((channel + count / 2) / count);
            out.pixels[static_cast<size_t>(ty) * static_cast<size_t>(size) +
                       static_cast<size_t>(tx)] = pixel;
        }
    }
    return out;
}

std::string pngFile(const Image &image) {
    std::string header;
    putBig(header, static_cast<uint32_t>(image.width));
    putBig(header, static_cast<uint32_t>(image.height));
    header +=
        std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, deflate, no filter, no interlace

    std::string rows;
    for (int32_t y = 0; y < image.height; ++y) {
        rows += '\0'; // filter type None
        for (int32_t x = 0; x < image.width; ++x) {
            const uint32_t p = pixelAt(image, x, y);
            rows += static_cast<char>((p >> 16) & 0xFF);
            rows += static_cast<char>((p >> 8) & 0xFF);
            rows += static_cast<char>(p & 0xFF);
        }
    }
    std::string out = "\x89PNG\r\n\x1a\n";
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", storedZlib(rows));
    putChunk(out, "IEND", "");
    return out;
}

} // namespace appicon
