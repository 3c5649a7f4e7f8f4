// Buffered streams.
#include "zip/TS_BufferStream.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "zip/Exceptions.h"

namespace zip {

TS_BufferStream::TS_BufferStream(TStream* stream, int bufferSize, bool flushOnDestroy)
    : stream_(stream),
      buffer_(static_cast<std::size_t>(bufferSize > 0 ? bufferSize : kZipBufferSize)),
      flushOnDestroy_(flushOnDestroy) {}

TS_BufferStream::~TS_BufferStream() {
  CloseBuffer();
}

void TS_BufferStream::CloseBuffer() {
  if (!stream_) return;
  if (state_ == bsWriting) FlushBuffer();
  if (flushOnDestroy_ && written_) {
    if (auto* h = dynamic_cast<THandleStream*>(stream_)) ::fsync(h->Handle());
  }
  stream_ = nullptr;
}

std::int64_t TS_BufferStream::LogicalPosition() {
  std::int64_t pos = stream_->Position();
  if (current_ < 0) return pos;
  if (state_ == bsReading) return pos - (end_ - current_);
  if (state_ == bsWriting) return pos + current_;
  return pos;
}

bool TS_BufferStream::FillBuffer() {
  std::int64_t n = stream_->Read(buffer_.data(), static_cast<std::int64_t>(buffer_.size()));
  current_ = 0;
  putBackFloor_ = 0;
  end_ = n;
  state_ = n > 0 ? bsReading : bsIdle;
  if (OnFill) OnFill(*this);
  return n > 0;
}

bool TS_BufferStream::FlushBuffer() {
  std::int64_t pending = state_ == bsWriting && current_ > 0 ? current_ : 0;
  std::int64_t written = pending > 0 ? stream_->Write(buffer_.data(), pending) : 0;
  current_ = 0;
  end_ = 0;
  state_ = bsIdle;
  if (OnFlush) OnFlush(*this);
  return written == pending;
}

std::int64_t TS_BufferStream::Read(void* buffer, std::int64_t count) {
  if (state_ == bsWriting) FlushBuffer();
  if (current_ < 0 || state_ != bsReading) current_ = end_ = 0;
  auto* out = static_cast<char*>(buffer);
  std::int64_t done = 0;
  while (count > 0) {
    if (current_ >= end_ && !FillBuffer()) break;
    std::int64_t n = std::min(count, end_ - current_);
    std::memcpy(out + done, buffer_.data() + current_, static_cast<std::size_t>(n));
    current_ += n;
    done += n;
    count -= n;
  }
  return done;
}

std::int64_t TS_BufferStream::Write(const void* buffer, std::int64_t count) {
  if (state_ == bsReading) {
    stream_->Seek(LogicalPosition(), soBeginning);
    current_ = -1;
    state_ = bsIdle;
  }
  if (current_ < 0 || state_ != bsWriting) current_ = 0;
  end_ = static_cast<std::int64_t>(buffer_.size());
  const auto* in = static_cast<const char*>(buffer);
  std::int64_t done = 0;
  while (count > 0) {
    std::int64_t n = std::min(count, end_ - current_);
    std::memcpy(buffer_.data() + current_, in + done, static_cast<std::size_t>(n));
    current_ += n;
    done += n;
    count -= n;
    state_ = bsWriting;
    if (current_ >= end_) {
      bool ok = FlushBuffer();
      end_ = static_cast<std::int64_t>(buffer_.size());
      if (!ok) break;
    }
  }
  state_ = current_ > 0 ? bsWriting : bsIdle;
  written_ = true;
  return done;
}

std::int64_t TS_BufferStream::Size() {
  std::int64_t size = stream_->Size();
  if (state_ == bsWriting && current_ > 0) size = std::max(size, stream_->Position() + current_);
  return size;
}

std::int64_t TS_BufferStream::Seek(std::int64_t offset, int origin) {
  std::int64_t logical = LogicalPosition();
  std::int64_t target;
  switch (origin) {
    case soBeginning:
      target = offset;
      break;
    case soCurrent:
      target = logical + offset;
      break;
    case soEnd:
      target = Size() - (offset < 0 ? -offset : offset);
      break;
    default:
      throw Exception("Invalid seek origin (" + std::to_string(origin) + ")");
  }
  if (target == logical) return target;
  if (state_ == bsReading && current_ >= 0) {
    // A target inside the bytes already buffered is reached without touching the file.
    std::int64_t bufferStart = logical - current_;
    if (target >= bufferStart && target <= bufferStart + end_) {
      current_ = target - bufferStart;
      putBackFloor_ = current_;  // as after any seek, nothing before it can be put back
      return target;
    }
  }
  if (state_ == bsWriting && !FlushBuffer()) throw Exception("Seek failed: cannot write buffer");
  stream_->Seek(target, soBeginning);
  current_ = -1;
  end_ = 0;
  state_ = bsIdle;
  return target;
}

void TS_BufferStream::SetSize(std::int64_t size) {
  if (state_ == bsWriting && !FlushBuffer()) throw EStreamError("Stream write error");
  std::int64_t pos = LogicalPosition();
  current_ = -1;
  end_ = 0;
  state_ = bsIdle;
  stream_->SetSize(size);
  stream_->Seek(std::min(pos, size), soBeginning);
}

void TS_BufferStream::PutBack(char c) {
  if (current_ <= putBackFloor_) throw EStreamError("Put back overflow");
  buffer_[static_cast<std::size_t>(--current_)] = c;
}

TLFNFileStream::TLFNFileStream(const std::string& fileName, int bufferSize, bool flushOnClose,
                               unsigned mode)
    : TLFNFileStream(std::make_unique<TFileStream>(fileName, mode), bufferSize, flushOnClose,
                     mode) {}

TLFNFileStream::TLFNFileStream(std::unique_ptr<TFileStream> file, int bufferSize, bool flushOnClose,
                               unsigned mode)
    : TS_BufferStream(file.get(), bufferSize, flushOnClose && (mode & 3) != 0),
      file_(std::move(file)) {}

TLFNFileStream::TLFNFileStream(std::unique_ptr<TFileStream> file, int bufferSize, bool flushOnClose)
    : TLFNFileStream(std::move(file), bufferSize, flushOnClose, fmOpenReadWrite) {}

TLFNFileStream::~TLFNFileStream() {
  CloseBuffer();
}

}  // namespace zip
