// Legacy method decoders (Shrink, Reduce, Implode): every such entry of the shared fixture
// archives and the raw fixture streams decode to the CRC-32 and size their headers record; the
// callback contract (sizes, early end, stop, block size); and damaged or random input always
// ends in Ok or DataError without touching memory it must not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "zip/Crc32.h"
#include "zip/LegacyDecoders.h"
#include "zip/TEndCentral.h"
#include "zip/TStream.h"
#include "zip/TZipHeaderInfo.h"

using namespace zip;

namespace {

using Bytes = std::vector<std::uint8_t>;

// One compressed stream and what it must decode to.
struct LegacyStream {
  std::string where;  // archive path and entry name, for messages
  int method;         // 1 to 6
  std::uint16_t flag;
  std::uint32_t crc;
  std::int64_t size;
  Bytes data;
};

struct DecodeResult {
  DecodeStatus status;
  std::uint32_t crc;
  std::int64_t size;
  std::size_t largestBlock;
};

// Decodes data with the decoder for method, feeding at most chunk bytes per input call; output
// returns false once stopAfter bytes were delivered (stopAfter < 0: never).
DecodeResult Decode(int method, std::uint16_t flag, const Bytes& data, std::int64_t size,
                    std::size_t chunk = 32768, std::int64_t stopAfter = -1) {
  std::size_t pos = 0;
  DecoderInput in = [&](std::uint8_t* buf, std::size_t n) {
    n = std::min({n, chunk, data.size() - pos});
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(pos), n, buf);
    pos += n;
    return n;
  };
  DecodeResult r{DecodeStatus::DataError, 0xFFFFFFFFu, 0, 0};
  DecoderOutput out = [&](const std::uint8_t* p, std::size_t n) {
    r.crc = UpdateCrc32(r.crc, p, n);
    r.size += static_cast<std::int64_t>(n);
    r.largestBlock = std::max(r.largestBlock, n);
    return stopAfter < 0 || r.size < stopAfter;
  };
  if (method == 1) {
    r.status = Unshrink(in, out, size);
  } else if (method >= 2 && method <= 5) {
    r.status = Unreduce(in, out, size, method - 1);
  } else {
    r.status = Explode(in, out, size, flag & 2, flag & 4);
  }
  r.crc = ~r.crc;
  return r;
}

Bytes ReadAll(const std::filesystem::path& path) {
  std::string s = testsupport::ReadFile(path.string());
  return Bytes(s.begin(), s.end());
}

// The unencrypted method 1 to 6 entries of one archive; none when it is not a readable archive.
void CollectFromArchive(const std::filesystem::path& path, std::vector<LegacyStream>& found) {
  try {
    TFileStream file(path.string(), fmOpenRead);
    TEndCentral end;
    if (!end.FindInStream(file) || end.TotalEntries == 0) return;
    file.SetPosition(end.CentralDirectoryOffset);
    std::vector<TZipHeaderInfo> entries;
    TStream* stream = &file;
    for (std::uint64_t i = 0; i < end.TotalEntries; ++i) {
      TZipHeaderInfo h;
      if (!h.ReadCentralFromStream(stream)) break;
      entries.push_back(h);
    }
    for (const TZipHeaderInfo& h : entries) {
      if (h.CompressionMethod < 1 || h.CompressionMethod > 6 || h.IsEncrypted()) continue;
      file.SetPosition(h.LocalHeaderOffset);
      TZipHeaderInfo local;
      if (!local.ReadLocalFromStream(file)) continue;
      file.Seek(local.LocalExtraLength, soCurrent);
      LegacyStream s{path.string() + ":" + h.FullName(),
                     h.CompressionMethod,
                     h.Flag,
                     h.CRC32,
                     h.UncompressedSize,
                     Bytes(static_cast<std::size_t>(h.CompressedSize))};
      s.data.resize(static_cast<std::size_t>(file.Read(s.data.data(), h.CompressedSize)));
      found.push_back(std::move(s));
    }
  } catch (const std::exception&) {
    // Damaged or unusual archives of the collection are not what this test is about.
  }
}

// Every legacy entry of every archive under dir, in a stable order.
const std::vector<LegacyStream>& FixtureStreams(const std::string& dir) {
  static std::vector<LegacyStream> streams;
  static bool loaded = false;
  if (!loaded) {
    loaded = true;
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
      if (e.is_regular_file()) files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& f : files) CollectFromArchive(f, streams);
  }
  return streams;
}

std::string Variant(const LegacyStream& s) {
  if (s.method == 1) return "shrink";
  if (s.method <= 5) return "reduce-f" + std::to_string(s.method - 1);
  return std::string("implode-") + (s.flag & 2 ? "8k" : "4k") +
         (s.flag & 4 ? "-3trees" : "-2trees");
}

TEST(LegacyDecoders, FixtureEntriesMatchTheirHeaders) {
  REQUIRE_FIXTURES(dir);
  std::map<std::string, int> decoded;
  for (const LegacyStream& s : FixtureStreams(dir)) {
    SCOPED_TRACE(s.where);
    DecodeResult r = Decode(s.method, s.flag, s.data, s.size);
    EXPECT_EQ(r.status, DecodeStatus::Ok);
    EXPECT_EQ(r.size, s.size);
    EXPECT_EQ(r.crc, s.crc);
    EXPECT_LE(r.largestBlock, 32768u);
    if (r.status == DecodeStatus::Ok && r.crc == s.crc && r.size == s.size) ++decoded[Variant(s)];
  }
  for (const auto& [variant, count] : decoded) {
    std::cout << "[ legacy   ] " << variant << ": " << count << " entries\n";
  }
  EXPECT_GE(decoded["shrink"], 1);
  EXPECT_GE(
      decoded["reduce-f1"] + decoded["reduce-f2"] + decoded["reduce-f3"] + decoded["reduce-f4"], 1);
  EXPECT_GE(decoded["implode-4k-2trees"] + decoded["implode-4k-3trees"], 1);
  EXPECT_GE(decoded["implode-8k-2trees"] + decoded["implode-8k-3trees"], 1);
}

// Streams kept without an archive around them, with their sizes and CRCs.
TEST(LegacyDecoders, RawFixtureStreams) {
  REQUIRE_FIXTURES(dir);
  struct Case {
    const char* file;
    int method;
    std::uint16_t flag;
    std::int64_t size;
    std::uint32_t crc;
  };
  const Case cases[] = {
      {"zip2/implode_hamlet_256.bin", 6, 0, 256, 0x6ec1815f},
      {"zip2/reduce_hamlet_2048.bin", 5, 0, 2048, 0xaaa1c008},
      {"zip2/reduce_zero_reduced.bin", 5, 0, 3072, 0x5d9491f0},  // distances before the start
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Bytes data = ReadAll(std::filesystem::path(dir) / c.file);
    ASSERT_FALSE(data.empty());
    DecodeResult r = Decode(c.method, c.flag, data, c.size);
    EXPECT_EQ(r.status, DecodeStatus::Ok);
    EXPECT_EQ(r.size, c.size);
    EXPECT_EQ(r.crc, c.crc);
  }
}

// The smallest fixture stream of each variant, as material for the contract and damage tests.
std::vector<const LegacyStream*> SmallestPerVariant(const std::string& dir) {
  std::map<std::string, const LegacyStream*> best;
  for (const LegacyStream& s : FixtureStreams(dir)) {
    if (s.size < 64) continue;
    const LegacyStream*& b = best[Variant(s)];
    if (!b || s.data.size() < b->data.size()) b = &s;
  }
  std::vector<const LegacyStream*> v;
  for (const auto& [variant, s] : best) v.push_back(s);
  return v;
}

TEST(LegacyDecoders, CallbackContract) {
  REQUIRE_FIXTURES(dir);
  for (const LegacyStream* s : SmallestPerVariant(dir)) {
    SCOPED_TRACE(s->where);
    DecodeResult full = Decode(s->method, s->flag, s->data, s->size);
    ASSERT_EQ(full.status, DecodeStatus::Ok);

    // One byte per input call changes nothing.
    DecodeResult trickled = Decode(s->method, s->flag, s->data, s->size, 1);
    EXPECT_EQ(trickled.status, DecodeStatus::Ok);
    EXPECT_EQ(trickled.crc, full.crc);

    // A smaller declared size stops there; the rest of the input is ignored.
    DecodeResult shorter = Decode(s->method, s->flag, s->data, s->size / 2);
    EXPECT_EQ(shorter.status, DecodeStatus::Ok);
    EXPECT_EQ(shorter.size, s->size / 2);

    // Nothing to produce: Ok without input; a negative size is an error.
    EXPECT_EQ(Decode(s->method, s->flag, {}, 0).status, DecodeStatus::Ok);
    EXPECT_EQ(Decode(s->method, s->flag, s->data, -1).status, DecodeStatus::DataError);

    // Input that ends early, or a declared size beyond what the data holds, is an error.
    Bytes cut(s->data.begin(), s->data.begin() + static_cast<std::ptrdiff_t>(s->data.size() / 2));
    DecodeResult truncated = Decode(s->method, s->flag, cut, s->size);
    EXPECT_EQ(truncated.status, DecodeStatus::DataError);
    EXPECT_LT(truncated.size, s->size);
    EXPECT_NE(Decode(s->method, s->flag, s->data, s->size + 100000).status, DecodeStatus::Ok);

    // Output refusing a block stops the decoder at once.
    DecodeResult stopped = Decode(s->method, s->flag, s->data, s->size, 32768, 1);
    EXPECT_EQ(stopped.status, DecodeStatus::Stopped);
  }
  EXPECT_EQ(Unreduce({}, {}, 10, 0), DecodeStatus::DataError);
  EXPECT_EQ(Unreduce({}, {}, 10, 5), DecodeStatus::DataError);
}

// Output arrives in blocks of at most 32 KiB, and a stop after the first one is honoured.
TEST(LegacyDecoders, LargeOutputComesInBlocks) {
  REQUIRE_FIXTURES(dir);
  int checked = 0;
  for (const LegacyStream& s : FixtureStreams(dir)) {
    if (s.size <= 3 * 32768 || s.data.size() > 200000) continue;
    SCOPED_TRACE(s.where);
    DecodeResult stopped = Decode(s.method, s.flag, s.data, s.size, 32768, 32768);
    EXPECT_EQ(stopped.status, DecodeStatus::Stopped);
    EXPECT_EQ(stopped.size, 32768);
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

// The variants the damage tests drive: method, flag.
const std::pair<int, std::uint16_t> kVariants[] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0},
                                                   {6, 0}, {6, 2}, {6, 4}, {6, 6}};

void ExpectSane(const DecodeResult& r, std::int64_t declared) {
  ASSERT_TRUE(r.status == DecodeStatus::Ok || r.status == DecodeStatus::DataError);
  ASSERT_LE(r.size, declared);
  if (r.status == DecodeStatus::Ok) {
    ASSERT_EQ(r.size, declared);
  }
  ASSERT_LE(r.largestBlock, 32768u);
}

TEST(LegacyDecoders, RandomInputEndsCleanly) {
  std::mt19937 rng(20240611);
  int runs = 0;
  for (int i = 0; i < 600; ++i) {
    for (const auto& [method, flag] : kVariants) {
      Bytes data(rng() % 2048);
      for (auto& b : data) b = static_cast<std::uint8_t>(rng());
      std::int64_t declared = rng() % (1 << 20);
      ExpectSane(Decode(method, flag, data, declared), declared);
      ++runs;
    }
  }
  std::cout << "[ legacy   ] random inputs: " << runs << "\n";
}

TEST(LegacyDecoders, DamagedFixtureStreamsEndCleanly) {
  REQUIRE_FIXTURES(dir);
  std::mt19937 rng(7);
  int runs = 0;
  int ok = 0;  // damaged streams of the right variant that still decoded in full
  for (const LegacyStream* s : SmallestPerVariant(dir)) {
    SCOPED_TRACE(s->where);
    for (int i = 0; i < 300; ++i) {
      Bytes data = s->data;
      std::size_t at = rng() % data.size();
      switch (i % 3) {
        case 0:  // cut short
          data.resize(at);
          break;
        case 1:  // a few bits flipped
          for (int k = 1 + static_cast<int>(rng() % 4); k > 0; --k) {
            data[rng() % data.size()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
          }
          break;
        default:  // valid header and start, then noise
          for (std::size_t k = at; k < data.size(); ++k) data[k] = static_cast<std::uint8_t>(rng());
          break;
      }
      // Noise may decode to any length; let it run to the end of the input.
      std::int64_t declared = i % 3 == 2 ? 1 << 18 : s->size;
      DecodeResult r = Decode(s->method, s->flag, data, declared);
      ExpectSane(r, declared);
      ok += r.status == DecodeStatus::Ok;
      // The same damage read by a randomly chosen decoder.
      const auto& [method, flag] = kVariants[rng() % std::size(kVariants)];
      ExpectSane(Decode(method, flag, data, declared), declared);
      runs += 2;
    }
  }
  std::cout << "[ legacy   ] damaged streams: " << runs << " (" << ok << " decoded in full)\n";
}

}  // namespace
