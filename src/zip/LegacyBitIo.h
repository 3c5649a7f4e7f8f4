// Input and output plumbing shared by the legacy method decoders: a bit reader that takes bits
// least significant first from the input callback, and an output window that keeps the recent
// history for back-references and hands finished 32 KiB blocks to the output callback.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "zip/LegacyDecoders.h"

namespace zip::legacy {

// Reads bits least significant first from a DecoderInput, 32 KiB at a time. Past the end of the
// input it returns zero bits and marks itself overrun; callers check Overrun() before using a
// symbol.
class BitReader {
 public:
  explicit BitReader(const DecoderInput& in) : in_(in), buf_(new std::uint8_t[kChunk]) {}

  // The next n bits (0 to 24), the first bit read in bit 0.
  std::uint32_t Bits(int n) {
    while (count_ < n) {
      if (pos_ == len_ && !Refill()) {
        overrun_ = true;
        count_ = n;  // pad with zero bits
        break;
      }
      bits_ |= static_cast<std::uint64_t>(buf_[pos_++]) << count_;
      count_ += 8;
    }
    std::uint32_t v = static_cast<std::uint32_t>(bits_ & ((std::uint64_t{1} << n) - 1));
    bits_ >>= n;
    count_ -= n;
    return v;
  }
  // True once a read needed bits beyond the end of the input.
  bool Overrun() const { return overrun_; }

 private:
  static constexpr std::size_t kChunk = 32768;

  bool Refill() {
    if (ended_) return false;
    std::size_t n = in_ ? in_(buf_.get(), kChunk) : 0;
    if (n == 0 || n > kChunk) {  // a callback claiming more than asked for counts as the end
      ended_ = true;
      return false;
    }
    pos_ = 0;
    len_ = n;
    return true;
  }

  const DecoderInput& in_;
  std::unique_ptr<std::uint8_t[]> buf_;
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  std::uint64_t bits_ = 0;
  int count_ = 0;
  bool ended_ = false;
  bool overrun_ = false;
};

// Collects decoded bytes up to a fixed total in a 64 KiB ring, passing each completed 32 KiB half
// to a DecoderOutput. The ring starts zeroed, so a back-reference reaching before the first byte
// reads zeros as long as its distance is at most kMaxDistance.
class OutputWindow {
 public:
  static constexpr std::uint32_t kMaxDistance = 16384;

  OutputWindow(const DecoderOutput& out, std::int64_t limit)
      : out_(out), limit_(limit), ring_(new std::uint8_t[kRing]()) {}

  // True once limit bytes were produced or output refused a block.
  bool Done() const { return written_ >= limit_ || stopped_; }
  bool Stopped() const { return stopped_; }

  // Appends one byte (ignored when Done()).
  void Put(std::uint8_t b) {
    if (Done()) return;
    ring_[written_ & kMask] = b;
    if (++written_ - flushed_ == kBlock) Deliver(kBlock);
  }
  // Appends length bytes copied from distance (1 to kMaxDistance) bytes back, stopping when
  // Done().
  void Copy(std::uint32_t distance, std::uint32_t length) {
    for (std::uint32_t i = 0; i < length && !Done(); ++i) {
      Put(ring_[static_cast<std::uint64_t>(written_ - distance) & kMask]);
    }
  }
  // Delivers the bytes not yet delivered; false when output refused them (or an earlier block).
  bool Finish() {
    if (!stopped_ && written_ > flushed_) Deliver(static_cast<std::size_t>(written_ - flushed_));
    return !stopped_;
  }

 private:
  static constexpr std::size_t kRing = 65536;
  static constexpr std::size_t kBlock = 32768;
  static constexpr std::uint64_t kMask = kRing - 1;

  void Deliver(std::size_t n) {
    if (!out_ || !out_(ring_.get() + (flushed_ & kMask), n)) stopped_ = true;
    flushed_ += static_cast<std::int64_t>(n);
  }

  const DecoderOutput& out_;
  std::int64_t limit_;
  std::unique_ptr<std::uint8_t[]> ring_;
  std::int64_t written_ = 0;
  std::int64_t flushed_ = 0;  // always a multiple of kBlock until Finish
  bool stopped_ = false;
};

// The status a decoder returns when its loop ended: Stopped, Ok when the window is full and
// delivered, otherwise DataError.
inline DecodeStatus FinalStatus(OutputWindow& window, bool complete) {
  if (window.Stopped()) return DecodeStatus::Stopped;
  if (!window.Finish()) return DecodeStatus::Stopped;
  return complete ? DecodeStatus::Ok : DecodeStatus::DataError;
}

}  // namespace zip::legacy
