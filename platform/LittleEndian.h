// Little-endian words in byte buffers at any alignment: the SPRITE format's
// fields and every RGB565 pixel in surfaces and sprite blocks. The one
// definition for the system code, the portable layer, the tools and the
// tests; like Rgb565.h it needs no platform header, so every build takes it
// as it is.
#pragma once

#include <cstdint>

inline uint16_t LoadLe16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline uint32_t LoadLe32(const uint8_t* bytes) {
    return static_cast<uint32_t>(LoadLe16(bytes)) | static_cast<uint32_t>(LoadLe16(bytes + 2)) << 16;
}

inline void StoreLe16(uint8_t* bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

inline void StoreLe32(uint8_t* bytes, uint32_t value) {
    StoreLe16(bytes, static_cast<uint16_t>(value));
    StoreLe16(bytes + 2, static_cast<uint16_t>(value >> 16));
}
