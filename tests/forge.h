// Helpers for forging record files byte by byte in tests. The CRC-32 is
// written out here on purpose, apart from the store's own, so that a fault in
// the store's checksum cannot hide itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ny::forge {

inline std::string U16(uint16_t v) { return {char(v & 0xFF), char(v >> 8)}; }
inline std::string U32(uint32_t v) { return U16(uint16_t(v)) + U16(uint16_t(v >> 16)); }

inline uint32_t Crc32(std::string_view s) {
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : s) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

}  // namespace ny::forge
