#include "platform/wav_format.h"

#include "platform/little_endian.h"

#include <algorithm>
#include <cstring>

namespace wav {
namespace {

constexpr size_t RiffHeaderSize = 12; // "RIFF", length, "WAVE"

uint8_t upperAscii(uint8_t c) {
    return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a' + 'A') : c;
}

std::optional<ImageLayout> failure(ImageFault why, ImageFault *fault) {
    if (fault)
        *fault = why;
    return std::nullopt;
}

// Skips `count` bytes by seeking; false when the file ends first.
bool skipWithin(platform::File &file, uint64_t count) {
    const int64_t size = file.size();
    const int64_t target = file.tell() + static_cast<int64_t>(count);
    return (size < 0 || target <= size) && file.skip(static_cast<int64_t>(count));
}

} // namespace

bool isChunk(const uint8_t *name, const char *expected) {
    for (size_t i = 0; i < 4; ++i)
        if (upperAscii(name[i]) != upperAscii(static_cast<uint8_t>(expected[i])))
            return false;
    return true;
}

Format readFormat(const uint8_t *body) {
    return Format{le::read16(body), le::read16(body + 2), le::read32(body + 4),
                  le::read16(body + 14)};
}

uint16_t blockAlign(uint16_t channels, uint16_t bits) {
    return static_cast<uint16_t>(channels * (bits / 8u));
}

void writeHeader(uint8_t *header, uint32_t dataBytes, uint32_t rate, uint16_t channels,
                 uint16_t bits) {
    const uint16_t align = blockAlign(channels, bits);
    std::memcpy(header, "RIFF", 4);
    le::write32(header + 4, dataBytes + 36);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    le::write32(header + 16, FormatBodySize);
    le::write16(header + 20, PcmTag);
    le::write16(header + 22, channels);
    le::write32(header + 24, rate);
    le::write32(header + 28, rate * align);
    le::write16(header + 32, align);
    le::write16(header + 34, bits);
    std::memcpy(header + 36, "data", 4);
    le::write32(header + 40, dataBytes);
}

const char *faultText(ImageFault fault) {
    switch (fault) {
    case ImageFault::NotRiff:
        return "not a RIFF/WAVE file";
    case ImageFault::DamagedFormat:
        return "damaged format chunk";
    case ImageFault::NoFormat:
        return "no format chunk";
    case ImageFault::DataBeforeFormat:
        return "data chunk before the format chunk";
    case ImageFault::NoData:
        return "no data chunk";
    }
    return "";
}

std::optional<ImageLayout> parseImage(std::span<const uint8_t> image, Chunks chunks,
                                      ImageFault *fault) {
    const uint8_t *bytes = image.data();
    if (image.size() < RiffHeaderSize || !isChunk(bytes, "RIFF") || !isChunk(bytes + 8, "WAVE"))
        return failure(ImageFault::NotRiff, fault);
    std::optional<Format> format;
    size_t at = RiffHeaderSize;
    while (at <= image.size() && image.size() - at >= ChunkHeaderSize) {
        const uint32_t length = le::read32(bytes + at + 4);
        const size_t body = at + ChunkHeaderSize;
        const size_t available = image.size() - body;
        const bool formatChunk = isChunk(bytes + at, "fmt ");
        if (formatChunk && (!format || chunks == Chunks::Padded)) {
            if (length < FormatBodySize || length > available)
                return failure(ImageFault::DamagedFormat, fault);
            format = readFormat(bytes + body);
        } else if (isChunk(bytes + at, "data")) {
            if (!format)
                return failure(ImageFault::DataBeforeFormat, fault);
            return ImageLayout{*format, body,
                               static_cast<uint32_t>(std::min<size_t>(length, available))};
        } else if (!format && chunks == Chunks::FormatFirst) {
            return failure(ImageFault::NoFormat, fault);
        }
        if (length > available)
            break;
        at = body + length + (chunks == Chunks::Padded ? length % 2 : 0);
    }
    return failure(format ? ImageFault::NoData : ImageFault::NoFormat, fault);
}

bool readFileFormat(platform::File &file, Format &format) {
    uint8_t riff[RiffHeaderSize];
    uint8_t chunk[ChunkHeaderSize];
    if (!file.readExact(riff, sizeof riff) || !isChunk(riff, "RIFF") ||
        !file.readExact(chunk, sizeof chunk) || !isChunk(chunk, "fmt "))
        return false;
    const uint32_t length = le::read32(chunk + 4);
    format = Format{};
    if (length < FormatBodySize)
        return skipWithin(file, length);
    uint8_t body[FormatBodySize];
    if (!file.readExact(body, sizeof body))
        return false;
    format = readFormat(body);
    return skipWithin(file, length - FormatBodySize);
}

bool findFileData(platform::File &file, uint32_t &dataLength) {
    uint8_t chunk[ChunkHeaderSize];
    while (file.readExact(chunk, sizeof chunk)) {
        const uint32_t length = le::read32(chunk + 4);
        if (isChunk(chunk, "data")) {
            dataLength = length;
            return true;
        }
        if (!file.skip(length))
            return false;
    }
    return false;
}

} // namespace wav
