// The Implode (method 6) decoder: literals and (length, distance) back-references into a 4 KiB
// or 8 KiB dictionary, coded with two or three Shannon-Fano trees stored at the start of the data.
#include <algorithm>
#include <array>
#include <memory>

#include "zip/LegacyBitIo.h"
#include "zip/LegacyDecoders.h"

namespace zip {

namespace {

constexpr int kMaxCodeLength = 16;
constexpr unsigned kLiteralSymbols = 256;
constexpr unsigned kLengthSymbols = 64;
constexpr unsigned kDistanceSymbols = 64;
constexpr unsigned kLongLength = 63;  // this length symbol is followed by 8 more bits of length

// A Shannon-Fano code ready for decoding. The codes of one bit length form a consecutive range of
// values, read first bit most significant; symbols_ lists each length's symbols in code order.
class ShannonFanoTree {
 public:
  // Reads a stored tree of symbolCount symbols: a byte holding the count of description bytes
  // minus 1, then bytes of (symbols - 1) << 4 | (bit length - 1). False when the description
  // does not cover exactly symbolCount symbols, or the lengths do not form a prefix code.
  bool Load(legacy::BitReader& reader, unsigned symbolCount) {
    std::array<std::uint8_t, kLiteralSymbols> lengths{};
    unsigned bytes = reader.Bits(8) + 1;
    unsigned filled = 0;
    for (unsigned i = 0; i < bytes; ++i) {
      unsigned b = reader.Bits(8);
      unsigned count = (b >> 4) + 1;
      if (count > symbolCount - filled) return false;
      for (unsigned k = 0; k < count; ++k)
        lengths[filled++] = static_cast<std::uint8_t>((b & 15) + 1);
    }
    if (reader.Overrun() || filled != symbolCount) return false;
    return Build(lengths.data(), symbolCount);
  }

  // Reads one symbol; false when the bits match no code. Past the end of the input the reader
  // supplies zero bits, so callers check its Overrun().
  bool Decode(legacy::BitReader& reader, unsigned& symbol) const {
    unsigned code = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
      // The stored codes are the complements of the constructed ones.
      code = (code << 1) | (reader.Bits(1) ^ 1);
      unsigned index = code - first_[len];
      if (index < count_[len]) {
        symbol = symbols_[offset_[len] + index];
        return true;
      }
    }
    return false;
  }

 private:
  // Assigns codes: symbols sorted by length (ties by symbol order), then, from the last one
  // backwards, left-aligned 16-bit codes counting up by one unit of the symbol's length.
  bool Build(const std::uint8_t* lengths, unsigned n) {
    std::array<std::uint16_t, kLiteralSymbols> order;
    for (unsigned i = 0; i < n; ++i) order[i] = static_cast<std::uint16_t>(i);
    std::stable_sort(order.begin(), order.begin() + n,
                     [&](std::uint16_t a, std::uint16_t b) { return lengths[a] < lengths[b]; });
    count_.fill(0);
    for (unsigned i = 0; i < n; ++i) ++count_[lengths[i]];
    unsigned next = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
      offset_[len] = static_cast<std::uint16_t>(next);
      next += count_[len];
    }

    std::uint32_t code = 0;
    std::uint32_t increment = 0;
    int lastLength = 0;
    std::array<std::uint16_t, kMaxCodeLength + 1> placed{};
    for (int i = static_cast<int>(n) - 1; i >= 0; --i) {
      code += increment;
      int len = lengths[order[i]];
      if (len != lastLength) {
        lastLength = len;
        increment = 1u << (kMaxCodeLength - len);
      }
      // Each code must own the whole aligned range below it, or codes would overlap.
      if (code >= (1u << kMaxCodeLength) || code % increment != 0) return false;
      // Complemented, codes of one length count down as i falls; the last one placed is the
      // smallest.
      unsigned value = (code >> (kMaxCodeLength - len)) ^ ((1u << len) - 1);
      first_[len] = static_cast<std::uint16_t>(value);
      symbols_[offset_[len] + count_[len] - 1 - placed[len]] = order[i];
      ++placed[len];
    }
    return true;
  }

  std::array<std::uint16_t, kMaxCodeLength + 1> count_{};
  std::array<std::uint16_t, kMaxCodeLength + 1> first_{};
  std::array<std::uint16_t, kMaxCodeLength + 1> offset_{};
  std::array<std::uint16_t, kLiteralSymbols> symbols_{};
};

}  // namespace

DecodeStatus Explode(const DecoderInput& in, const DecoderOutput& out,
                     std::int64_t uncompressedSize, bool dict8k, bool threeTrees) {
  if (uncompressedSize < 0) return DecodeStatus::DataError;
  legacy::BitReader reader(in);
  legacy::OutputWindow window(out, uncompressedSize);
  if (window.Done()) return legacy::FinalStatus(window, true);

  auto literals = std::make_unique<ShannonFanoTree>();
  auto lengths = std::make_unique<ShannonFanoTree>();
  auto distances = std::make_unique<ShannonFanoTree>();
  if ((threeTrees && !literals->Load(reader, kLiteralSymbols)) ||
      !lengths->Load(reader, kLengthSymbols) || !distances->Load(reader, kDistanceSymbols)) {
    return legacy::FinalStatus(window, false);
  }

  const int lowDistanceBits = dict8k ? 7 : 6;
  const unsigned minMatch = threeTrees ? 3 : 2;
  while (!window.Done()) {
    if (reader.Bits(1) != 0) {
      unsigned literal;
      if (threeTrees) {
        if (!literals->Decode(reader, literal)) break;
      } else {
        literal = reader.Bits(8);
      }
      if (reader.Overrun()) break;
      window.Put(static_cast<std::uint8_t>(literal));
      continue;
    }
    unsigned low = reader.Bits(lowDistanceBits);
    unsigned high;
    unsigned lengthSymbol;
    if (!distances->Decode(reader, high) || !lengths->Decode(reader, lengthSymbol)) break;
    unsigned length = lengthSymbol + minMatch;
    if (lengthSymbol == kLongLength) length += reader.Bits(8);
    if (reader.Overrun()) break;
    // At most 63 << 7 | 127 + 1 = 8192, within the window.
    window.Copy(((high << lowDistanceBits) | low) + 1, length);
  }
  return legacy::FinalStatus(window, window.Done());
}

}  // namespace zip
