// CRC-32 and the traditional cipher: check values, key schedule round trips, encryption headers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zip/Crc32.h"
#include "zip/TStream.h"
#include "zip/TZipCipher.h"

using namespace zip;

TEST(Crc32, StandardCheckValuesAndTable) {
  EXPECT_EQ(Crc32Of("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(Crc32Of("", 0), 0u);
  EXPECT_EQ(kCrcTable[1], 0x77073096u);
  EXPECT_EQ(kCrcTable[255], 0x2D02EF8Du);
  // The running register advanced piecewise gives the same result as in one go.
  TZipCipher c;
  c.UpdateCrc("1234", 4);
  c.UpdateCrc("56789", 5);
  EXPECT_EQ(~c.Crc, 0xCBF43926u);
}

TEST(ZipCipher, EncryptThenDecryptRestoresTheData) {
  std::string plain = "The quick brown fox jumps over the lazy dog, again and again.";
  for (std::string password : {"", "p", "secret", "p\xC3\xA4ssword with spaces "}) {
    TZipCipher enc, dec;
    enc.InitKeys(password);
    std::vector<std::uint8_t> data(plain.begin(), plain.end());
    enc.EncryptBuffer(data.data(), data.size());
    EXPECT_NE(std::string(data.begin(), data.end()), plain);
    dec.InitKeys(password);
    dec.DecryptBuffer(data.data(), data.size());
    EXPECT_EQ(std::string(data.begin(), data.end()), plain) << password;
  }
}

TEST(ZipCipher, KeyScheduleMatchesPublishedInitialisation) {
  TZipCipher c;
  c.InitKeys("");
  EXPECT_EQ(c.Key0, 0x12345678u);
  EXPECT_EQ(c.Key1, 0x23456789u);
  EXPECT_EQ(c.Key2, 0x34567890u);
  // KeyStreamByte does not change the state.
  std::uint8_t k = c.KeyStreamByte();
  EXPECT_EQ(c.KeyStreamByte(), k);
  EXPECT_EQ(c.Key0, 0x12345678u);
}

TEST(ZipCipher, HeaderCarriesCheckBytesAndPositionsTheKeys) {
  const std::string password = "secret";
  const std::uint32_t crc = 0xA1B2C3D4;
  TZipCipher writer;
  std::uint8_t header[kEncryptionHeaderSize];
  writer.MakeEncryptionHeader(password, crc, header);
  std::uint8_t data[] = {'d', 'a', 't', 'a'};
  writer.EncryptBuffer(data, sizeof data);

  TMemoryStream stream;
  stream.WriteBuffer(header, sizeof header);
  stream.WriteBuffer(data, sizeof data);
  stream.SetPosition(0);
  TZipCipher reader;
  std::int64_t remaining = 16;
  EXPECT_EQ(reader.ReadEncryptionHeader(password, stream, remaining), 0xA1);
  EXPECT_EQ(remaining, 4);
  EXPECT_EQ(ExpectedCheckByte(0, crc, 0), 0xA1);
  std::uint8_t rest[4];
  stream.ReadBuffer(rest, 4);
  reader.DecryptBuffer(rest, 4);
  EXPECT_EQ(std::string(rest, rest + 4), "data");

  // A wrong password almost always fails the one-byte check.
  int accepted = 0;
  for (int i = 0; i < 200; ++i) {
    std::uint8_t copy[kEncryptionHeaderSize];
    std::copy(header, header + kEncryptionHeaderSize, copy);
    TZipCipher guess;
    if (guess.DecryptHeader("wrong" + std::to_string(i), copy) == 0xA1) ++accepted;
  }
  EXPECT_LT(accepted, 10);
}

TEST(ZipCipher, TwoHeadersForTheSameEntryDiffer) {
  TZipCipher a, b;
  std::uint8_t ha[kEncryptionHeaderSize], hb[kEncryptionHeaderSize];
  a.MakeEncryptionHeader("pw", 0, ha);
  b.MakeEncryptionHeader("pw", 0, hb);
  EXPECT_NE(std::vector<std::uint8_t>(ha, ha + 10), std::vector<std::uint8_t>(hb, hb + 10));
  // An empty file has CRC 0: both check bytes decrypt to 0.
  TZipCipher r;
  EXPECT_EQ(r.DecryptHeader("pw", ha), 0);
  EXPECT_EQ(ha[10], 0);
}

TEST(ZipCipher, CheckByteUsesTheTimeWithADataDescriptor) {
  EXPECT_EQ(ExpectedCheckByte(0x0008, 0x11223344, 0x5566ABCD), 0xAB);
  EXPECT_EQ(ExpectedCheckByte(0x0001, 0x11223344, 0x5566ABCD), 0x11);
}
