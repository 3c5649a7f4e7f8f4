// TS_BufferStream: a read and write buffer in front of another stream; TLFNFileStream: a file
// opened by name behind such a buffer. The archive library does all its file I/O through these.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "zip/TStream.h"

namespace zip {

inline constexpr int kZipBufferSize = 8192;
// Archives being read and files being written move through larger buffers.
inline constexpr int kArchiveBufferSize = 65536;
inline constexpr int kOutputBufferSize = 262144;

class TS_BufferStream : public TStream {
 public:
  enum State : int { bsIdle = 0, bsReading = 1, bsWriting = 2 };

  // Buffers `stream`, which it does not own, with a buffer of bufferSize bytes.
  TS_BufferStream(TStream* stream, int bufferSize, bool flushOnDestroy = false);
  // Flushes pending bytes (and, with flush-on-destroy after a write, the file to the disk).
  ~TS_BufferStream() override;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  // Writes through the buffer. A failed flush shows as a short result only when the write had more
  // bytes than fitted in the buffer before the flush.
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // Origin 0 from the start, 1 from the logical position, 2 that many bytes before the logical end
  // (+n and -n alike). Seeking to the logical position keeps the buffer. Throws Exception for an
  // invalid origin or when pending bytes cannot be flushed.
  std::int64_t Seek(std::int64_t offset, int origin) override;
  std::int64_t Size() override;
  void SetSize(std::int64_t size) override;

  // Fills the buffer from the wrapped stream; true when any byte was read.
  virtual bool FillBuffer();
  // Writes the pending bytes; true when all were written.
  virtual bool FlushBuffer();
  // Steps back one byte in the read buffer and stores c there. Throws EStreamError when there is
  // no room before the current byte.
  virtual void PutBack(char c);

  // Called after every fill and every flush.
  std::function<void(TS_BufferStream&)> OnFill;
  std::function<void(TS_BufferStream&)> OnFlush;

  State GetState() const { return state_; }
  TStream* Wrapped() const { return stream_; }

 protected:
  // Flushes and detaches from the wrapped stream; later calls do nothing. Subclasses that own
  // the wrapped stream call it before destroying that stream.
  void CloseBuffer();

 private:
  std::int64_t LogicalPosition();

  TStream* stream_;
  std::vector<char> buffer_;
  std::int64_t current_ = -1;  // -1: unset
  std::int64_t end_ = 0;
  std::int64_t putBackFloor_ = 0;  // PutBack may not step back to or before this
  State state_ = bsIdle;
  bool flushOnDestroy_;
  bool written_ = false;
};

class TLFNFileStream : public TS_BufferStream {
 public:
  // Opens fileName with mode (fmCreate, fmOpenRead | fmShareDenyWrite, ...). Throws EFOpenError or
  // EFCreateError. Flushing to the disk on close happens only when flushOnClose is set and the
  // mode writes.
  TLFNFileStream(const std::string& fileName, int bufferSize, bool flushOnClose, unsigned mode);
  // Buffers a file already opened for writing, taking it over.
  TLFNFileStream(std::unique_ptr<TFileStream> file, int bufferSize, bool flushOnClose);
  ~TLFNFileStream() override;
  int Handle() const { return file_->Handle(); }
  const std::string& FileName() const { return file_->FileName(); }

 private:
  TLFNFileStream(std::unique_ptr<TFileStream> file, int bufferSize, bool flushOnClose,
                 unsigned mode);
  std::unique_ptr<TFileStream> file_;
};

}  // namespace zip
