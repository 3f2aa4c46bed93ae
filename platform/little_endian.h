// Little-endian fields of the binary files the program reads and writes
// (WAV headers, the native voice's index).
#pragma once

#include <cstdint>

namespace le {

inline uint16_t read16(const uint8_t *at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

inline uint32_t read32(const uint8_t *at) {
    return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

inline void write16(uint8_t *at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

inline void write32(uint8_t *at, uint32_t value) {
    write16(at, static_cast<uint16_t>(value));
    write16(at + 2, static_cast<uint16_t>(value >> 16));
}

} // namespace le
