// The Reduce (methods 2 to 5) decoder: a follower-set byte model whose output drives a
// DLE-escaped scheme of back-references into the bytes produced so far.
#include <array>
#include <memory>

#include "zip/LegacyBitIo.h"
#include "zip/LegacyDecoders.h"

namespace zip {

namespace {

constexpr unsigned kMaxFollowers = 32;
constexpr std::uint8_t kDle = 144;
constexpr unsigned kMatchBase = 3;  // a back-reference copies its length + 3 bytes

// Bits of a follower index for a set of n members (1 to 32): enough for n - 1, at least 1.
constexpr std::array<std::uint8_t, kMaxFollowers + 1> kIndexBits = {
    0, 1, 1, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4,
    5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5};

// The byte model: each byte value's follower set, and the byte produced last.
class FollowerModel {
 public:
  // Reads the 256 sets, stored from byte value 255 down to 0. False for a set over 32 members or
  // input that ends inside the sets.
  bool Load(legacy::BitReader& reader) {
    for (int j = 255; j >= 0; --j) {
      unsigned n = reader.Bits(6);
      if (n > kMaxFollowers) return false;
      size_[j] = static_cast<std::uint8_t>(n);
      for (unsigned k = 0; k < n; ++k) members_[j][k] = static_cast<std::uint8_t>(reader.Bits(8));
    }
    return !reader.Overrun();
  }

  // The next byte; false for an index beyond the set or the end of the input.
  bool Next(legacy::BitReader& reader, std::uint8_t& byte) {
    unsigned n = size_[last_];
    if (n == 0 || reader.Bits(1) != 0) {
      byte = static_cast<std::uint8_t>(reader.Bits(8));
    } else {
      unsigned index = reader.Bits(kIndexBits[n]);
      if (index >= n) return false;
      byte = members_[last_][index];
    }
    last_ = byte;
    return !reader.Overrun();
  }

 private:
  std::array<std::uint8_t, 256> size_{};
  std::array<std::array<std::uint8_t, kMaxFollowers>, 256> members_{};
  std::uint8_t last_ = 0;
};

}  // namespace

DecodeStatus Unreduce(const DecoderInput& in, const DecoderOutput& out,
                      std::int64_t uncompressedSize, int factor) {
  if (uncompressedSize < 0 || factor < 1 || factor > 4) return DecodeStatus::DataError;
  legacy::BitReader reader(in);
  legacy::OutputWindow window(out, uncompressedSize);
  if (window.Done()) return legacy::FinalStatus(window, true);
  auto model = std::make_unique<FollowerModel>();
  if (!model->Load(reader)) return legacy::FinalStatus(window, false);

  // The length mask keeps the low 8 - factor bits of the byte after DLE; the rest, shifted,
  // are the high byte of the distance.
  const unsigned lengthMask = 0xFFu >> factor;
  const int distanceShift = 8 - factor;
  enum class State { Literal, AfterDle, ExtraLength, Distance } state = State::Literal;
  unsigned v = 0;
  unsigned length = 0;
  while (!window.Done()) {
    std::uint8_t c;
    if (!model->Next(reader, c)) return legacy::FinalStatus(window, false);
    switch (state) {
      case State::Literal:
        if (c == kDle) {
          state = State::AfterDle;
        } else {
          window.Put(c);
        }
        break;
      case State::AfterDle:
        if (c == 0) {
          window.Put(kDle);
          state = State::Literal;
        } else {
          v = c;
          length = v & lengthMask;
          state = length == lengthMask ? State::ExtraLength : State::Distance;
        }
        break;
      case State::ExtraLength:
        length += c;
        state = State::Distance;
        break;
      case State::Distance: {
        // At most 15 * 256 + 256 = 4096, well within the window.
        unsigned distance = (v >> distanceShift) * 256 + c + 1;
        window.Copy(distance, length + kMatchBase);
        state = State::Literal;
        break;
      }
    }
  }
  return legacy::FinalStatus(window, true);
}

}  // namespace zip
