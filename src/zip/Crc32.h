// The CRC-32 of ZIP archives: the constant 256-entry table and the step over one byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zip {

extern const std::uint32_t kCrcTable[256];

inline std::uint32_t CrcStep(std::uint32_t crc, std::uint8_t b) {
  return kCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

// Advances a running CRC register (started at 0xFFFFFFFF) over count bytes.
std::uint32_t UpdateCrc32(std::uint32_t crc, const void* buffer, std::size_t count);
// The finished CRC-32 of a buffer (NOT of the register).
std::uint32_t Crc32Of(const void* buffer, std::size_t count);

}  // namespace zip
