// The traditional PKWARE cipher: key schedule, buffers and the encryption header.
#include "zip/TZipCipher.h"

#include <random>

#include "zip/TStream.h"

namespace zip {

void TZipCipher::InitKeys(const std::string& password) {
  Key0 = 0x12345678u;
  Key1 = 0x23456789u;
  Key2 = 0x34567890u;
  for (char c : password) UpdateKeys(static_cast<std::uint8_t>(c));
}

void TZipCipher::EncryptBuffer(void* buffer, std::size_t count) {
  auto* p = static_cast<std::uint8_t*>(buffer);
  for (std::size_t i = 0; i < count; ++i) p[i] = EncryptByte(p[i]);
}

void TZipCipher::DecryptBuffer(void* buffer, std::size_t count) {
  auto* p = static_cast<std::uint8_t*>(buffer);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t plain = p[i] ^ KeyStreamByte();
    p[i] = plain;
    UpdateKeys(plain);
  }
}

std::uint8_t TZipCipher::DecryptHeader(const std::string& password, std::uint8_t* header) {
  InitKeys(password);
  DecryptBuffer(header, kEncryptionHeaderSize);
  return header[kEncryptionHeaderSize - 1];
}

std::uint8_t TZipCipher::ReadEncryptionHeader(const std::string& password, TStream& stream,
                                              std::int64_t& remainingCompressed) {
  std::uint8_t header[kEncryptionHeaderSize];
  stream.ReadBuffer(header, kEncryptionHeaderSize);
  remainingCompressed -= kEncryptionHeaderSize;
  return DecryptHeader(password, header);
}

void TZipCipher::MakeEncryptionHeader(const std::string& password, std::uint32_t crc,
                                      std::uint8_t* header) {
  InitKeys(password);
  // Reseeded for every header, so two encryptions of one file differ.
  std::random_device seed;
  std::minstd_rand rng(seed());
  std::uniform_int_distribution<int> draw(0, 32766);
  for (int i = 0; i < 10; ++i) header[i] = EncryptByte(static_cast<std::uint8_t>(draw(rng) >> 7));
  header[10] = EncryptByte(static_cast<std::uint8_t>(crc >> 16));
  header[11] = EncryptByte(static_cast<std::uint8_t>(crc >> 24));
}

std::uint8_t ExpectedCheckByte(std::uint16_t flag, std::uint32_t crc, std::uint32_t dosDateTime) {
  if (flag & 0x0008) return static_cast<std::uint8_t>((dosDateTime >> 8) & 0xFF);
  return static_cast<std::uint8_t>(crc >> 24);
}

}  // namespace zip
