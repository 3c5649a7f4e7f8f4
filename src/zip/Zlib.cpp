// zlib behind RAII: raw inflate and deflate, CRC-32.
#include "zip/Zlib.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>

namespace zip {

namespace {
// zlib counts in uInt; feed it at most this much at a time.
constexpr std::size_t kMaxChunk = UINT_MAX / 2;
}  // namespace

std::uint32_t ZlibCrc32(std::uint32_t crc, const void* buffer, std::size_t count) {
  const auto* p = static_cast<const Bytef*>(buffer);
  uLong c = crc;
  while (count > 0) {
    std::size_t n = std::min(count, kMaxChunk);
    c = crc32(c, p, static_cast<uInt>(n));
    p += n;
    count -= n;
  }
  return static_cast<std::uint32_t>(c);
}

struct RawInflater::State {
  z_stream z{};
};

RawInflater::RawInflater() : state_(std::make_unique<State>()) {
  if (inflateInit2(&state_->z, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
}

RawInflater::~RawInflater() {
  inflateEnd(&state_->z);
}

RawInflater::Status RawInflater::Inflate(const std::uint8_t* in, std::size_t inSize,
                                         std::size_t& consumed, std::uint8_t* out,
                                         std::size_t outSize, std::size_t& produced) {
  z_stream& z = state_->z;
  z.next_in = const_cast<Bytef*>(in);
  z.avail_in = static_cast<uInt>(std::min(inSize, kMaxChunk));
  z.next_out = out;
  z.avail_out = static_cast<uInt>(std::min(outSize, kMaxChunk));
  uInt inBefore = z.avail_in, outBefore = z.avail_out;
  int rc = inflate(&z, Z_NO_FLUSH);
  consumed += inBefore - z.avail_in;
  produced += outBefore - z.avail_out;
  switch (rc) {
    case Z_STREAM_END:
      return Status::StreamEnd;
    case Z_OK:
      return Status::Ok;
    case Z_BUF_ERROR:
      return z.avail_out == 0 ? Status::Ok : Status::NeedInput;
    case Z_MEM_ERROR:
      throw std::bad_alloc();
    default:
      return Status::DataError;
  }
}

struct RawDeflater::State {
  z_stream z{};
};

RawDeflater::RawDeflater(int level) : state_(std::make_unique<State>()) {
  if (deflateInit2(&state_->z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::bad_alloc();
}

RawDeflater::~RawDeflater() {
  deflateEnd(&state_->z);
}

void RawDeflater::Reset() {
  deflateReset(&state_->z);
}

bool RawDeflater::Deflate(const std::uint8_t* in, std::size_t inSize, std::size_t& consumed,
                          bool finish, std::uint8_t* out, std::size_t outSize,
                          std::size_t& produced) {
  z_stream& z = state_->z;
  std::size_t inChunk = std::min(inSize, kMaxChunk);
  z.next_in = const_cast<Bytef*>(in);
  z.avail_in = static_cast<uInt>(inChunk);
  z.next_out = out;
  z.avail_out = static_cast<uInt>(std::min(outSize, kMaxChunk));
  uInt inBefore = z.avail_in, outBefore = z.avail_out;
  int rc = deflate(&z, finish && inChunk == inSize ? Z_FINISH : Z_NO_FLUSH);
  consumed += inBefore - z.avail_in;
  produced += outBefore - z.avail_out;
  if (rc == Z_MEM_ERROR) throw std::bad_alloc();
  return rc == Z_STREAM_END;
}

std::size_t RawDeflater::DeflateBlock(const std::uint8_t* window, std::size_t windowSize,
                                      const std::uint8_t* in, std::size_t inSize, bool last,
                                      std::vector<std::uint8_t>& out) {
  z_stream& z = state_->z;
  if (inSize > kMaxChunk || windowSize > kMaxChunk) throw std::length_error("Block too large");
  deflateReset(&z);
  if (windowSize > 0 &&
      deflateSetDictionary(&z, window, static_cast<uInt>(windowSize)) != Z_OK)
    throw std::logic_error("Deflate refused the dictionary");
  // Room for the worst case and the flush marker, so one call normally does it.
  std::size_t room = deflateBound(&z, static_cast<uLong>(inSize)) + 16;
  if (out.size() < room) out.resize(room);
  z.next_in = const_cast<Bytef*>(in);
  z.avail_in = static_cast<uInt>(inSize);
  std::size_t produced = 0;
  for (;;) {
    z.next_out = out.data() + produced;
    z.avail_out = static_cast<uInt>(std::min(out.size() - produced, kMaxChunk));
    uInt before = z.avail_out;
    int rc = deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
    produced += before - z.avail_out;
    if (rc == Z_MEM_ERROR) throw std::bad_alloc();
    if (rc == Z_STREAM_ERROR) throw std::logic_error("Deflate stream error");
    if (last ? rc == Z_STREAM_END : (z.avail_in == 0 && z.avail_out != 0)) return produced;
    if (z.avail_out == 0) out.resize(out.size() * 2);
  }
}

}  // namespace zip
