// Decoders for the legacy ZIP compression methods: Shrink (method 1), Reduce (methods 2 to 5)
// and Implode (method 6). They read compressed bytes through a callback, deliver decoded bytes
// through another, and use a fixed amount of memory whatever sizes the headers declare.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace zip {

// Supplies compressed bytes: fills buf with up to n bytes and returns how many (0 = no more data).
using DecoderInput = std::function<std::size_t(std::uint8_t* buf, std::size_t n)>;
// Receives decoded bytes in blocks of at most 32,768 bytes; returns false to stop decoding.
using DecoderOutput = std::function<bool(const std::uint8_t* data, std::size_t n)>;

enum class DecodeStatus { Ok, DataError, Stopped };

// Common contract of the three decoders. Each decodes until uncompressedSize bytes (the size the
// header declares) were produced and then returns Ok; compressed bytes after that point are not
// read or checked. It returns DataError when the input ends before uncompressedSize bytes were
// produced, when the data is invalid, or when uncompressedSize is negative; Stopped as soon as
// output returns false. Bytes decoded before a DataError are delivered to output first, so a
// caller must not trust them. An uncompressedSize of 0 returns Ok without reading any input.
// Memory use is fixed (under 150 KiB) and every loop ends on any input.

// Decodes a Shrink (method 1) stream.
DecodeStatus Unshrink(const DecoderInput& in, const DecoderOutput& out,
                      std::int64_t uncompressedSize);
// Decodes a Reduce stream; factor 1 to 4 (methods 2 to 5). Another factor is a DataError.
DecodeStatus Unreduce(const DecoderInput& in, const DecoderOutput& out,
                      std::int64_t uncompressedSize, int factor);
// Decodes an Implode (method 6) stream. dict8k: general purpose flag bit 1 (8 KiB instead of
// 4 KiB dictionary); threeTrees: flag bit 2 (a literal tree is present).
DecodeStatus Explode(const DecoderInput& in, const DecoderOutput& out,
                     std::int64_t uncompressedSize, bool dict8k, bool threeTrees);

}  // namespace zip
