// TZipCipher: the running CRC register and the traditional PKWARE cipher state (three keys) of an
// archive component, with the key schedule and the 12-byte encryption header.
#pragma once

#include <cstdint>
#include <string>

#include "zip/Crc32.h"

namespace zip {

class TStream;

inline constexpr int kEncryptionHeaderSize = 12;

class TZipCipher {
 public:
  // Running CRC, 0xFFFFFFFF before each entry's data; the entry's CRC is its NOT.
  std::uint32_t Crc = 0xFFFFFFFFu;
  std::uint32_t Key0 = 0x12345678u, Key1 = 0x23456789u, Key2 = 0x34567890u;

  void UpdateCrc(const void* buffer, std::size_t count) { Crc = UpdateCrc32(Crc, buffer, count); }

  // Sets the initial keys, then updates them with every password byte in order.
  void InitKeys(const std::string& password);
  void UpdateKeys(std::uint8_t plain) {
    Key0 = CrcStep(Key0, plain);
    Key1 = (Key1 + (Key0 & 0xFF)) * 134775813u + 1;
    Key2 = CrcStep(Key2, static_cast<std::uint8_t>(Key1 >> 24));
  }
  // The key stream byte for the current state (the state is unchanged).
  std::uint8_t KeyStreamByte() const {
    std::uint32_t t = (Key2 & 0xFFFF) | 2;
    return static_cast<std::uint8_t>((t * (t ^ 1)) >> 8);
  }
  std::uint8_t EncryptByte(std::uint8_t plain) {
    std::uint8_t c = plain ^ KeyStreamByte();
    UpdateKeys(plain);
    return c;
  }
  void EncryptBuffer(void* buffer, std::size_t count);
  void DecryptBuffer(void* buffer, std::size_t count);
  // InitKeys with the password, decrypts the 12 header bytes in place and returns the last one
  // (the check byte). The keys are then positioned for the entry's first data byte.
  std::uint8_t DecryptHeader(const std::string& password, std::uint8_t* header);
  // Reads the 12 header bytes from stream, lowers remainingCompressed by 12 and returns
  // DecryptHeader's check byte. Throws EStreamError on a short read.
  std::uint8_t ReadEncryptionHeader(const std::string& password, TStream& stream,
                                    std::int64_t& remainingCompressed);
  // Builds the encrypted 12-byte header for an entry with the given CRC: InitKeys, ten random
  // bytes, then the CRC's bits 16-23 and 24-31, all through EncryptByte.
  void MakeEncryptionHeader(const std::string& password, std::uint32_t crc, std::uint8_t* header);
};

// The byte a decrypted header must end with: the high byte of the DOS time for entries with a
// data descriptor (flag bit 3), else the CRC's high byte.
std::uint8_t ExpectedCheckByte(std::uint16_t flag, std::uint32_t crc, std::uint32_t dosDateTime);

}  // namespace zip
