// The one place the library meets zlib: raw deflate and raw inflate (RFC 1951, 32 KiB window,
// no zlib header or trailer) behind small RAII classes, and zlib's fast CRC-32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zip {

// Advances a finished CRC-32 (0 for no bytes) over count bytes with zlib's implementation.
std::uint32_t ZlibCrc32(std::uint32_t crc, const void* buffer, std::size_t count);

class RawInflater {
 public:
  enum class Status { Ok, StreamEnd, NeedInput, DataError };
  // Throws std::bad_alloc when zlib cannot obtain its state.
  RawInflater();
  ~RawInflater();
  RawInflater(const RawInflater&) = delete;
  RawInflater& operator=(const RawInflater&) = delete;

  // Inflates from in into out; adds what it used and produced to consumed and produced.
  // StreamEnd once the final block is complete; NeedInput when it needs more input to go on
  // (with no output room left it returns Ok); DataError for invalid data.
  Status Inflate(const std::uint8_t* in, std::size_t inSize, std::size_t& consumed,
                 std::uint8_t* out, std::size_t outSize, std::size_t& produced);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

class RawDeflater {
 public:
  // level 1 to 9. Throws std::bad_alloc when zlib cannot obtain its state.
  explicit RawDeflater(int level);
  ~RawDeflater();
  RawDeflater(const RawDeflater&) = delete;
  RawDeflater& operator=(const RawDeflater&) = delete;

  // Starts a new stream at the same level, keeping the working memory.
  void Reset();
  // Compresses in (finish: the last input) into out; adds what it used and produced. Returns
  // true once everything, with finish, has been flushed out.
  bool Deflate(const std::uint8_t* in, std::size_t inSize, std::size_t& consumed, bool finish,
               std::uint8_t* out, std::size_t outSize, std::size_t& produced);
  // Compresses one block of a stream that is cut into blocks compressed independently: starts
  // afresh with the window (the input just before the block, up to 32 KiB) as dictionary and
  // ends with a sync flush, or with the end of the stream when last, so that the outputs of
  // consecutive blocks concatenate into one stream. The output goes to the front of out, which
  // grows as needed; returns its length.
  std::size_t DeflateBlock(const std::uint8_t* window, std::size_t windowSize,
                           const std::uint8_t* in, std::size_t inSize, bool last,
                           std::vector<std::uint8_t>& out);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace zip
