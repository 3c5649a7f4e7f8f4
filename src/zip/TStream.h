// Streams: the abstract stream, a stream on an open file descriptor, a file stream opened by name,
// and a memory stream. Positions and sizes are 64-bit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zip {

enum TSeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// File open modes: one access mode, optionally or-ed with one share mode. Share modes are
// advisory on POSIX and are not enforced.
enum : unsigned {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFFFF,  // create, or truncate an existing file, for reading and writing
};

class TStream {
 public:
  virtual ~TStream() = default;
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Reads up to count bytes; returns how many were read (fewer at the end of the data).
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  // Writes up to count bytes; returns how many were taken.
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // Moves the position; returns the new position. Throws EStreamError when that is impossible.
  virtual std::int64_t Seek(std::int64_t offset, int origin) = 0;
  virtual std::int64_t Size();
  // Truncates or extends the stream. Throws EStreamError on failure.
  virtual void SetSize(std::int64_t size);

  std::int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t pos) { Seek(pos, soBeginning); }
  // Read or write exactly count bytes; throws EStreamError ("Stream read error" / "Stream write
  // error") otherwise.
  void ReadBuffer(void* buffer, std::int64_t count);
  void WriteBuffer(const void* buffer, std::int64_t count);
  // Copies count bytes from source's position (count 0: all of source from its start). Returns
  // the bytes copied; throws EStreamError on a short read or write.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// A stream on a file descriptor it does not own.
class THandleStream : public TStream {
 public:
  explicit THandleStream(int handle) : handle_(handle) {}
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, int origin) override;
  std::int64_t Size() override;
  void SetSize(std::int64_t size) override;
  int Handle() const { return handle_; }

 protected:
  int handle_;
  std::int64_t pos_ = -1;  // the descriptor's position as this stream moved it; -1 unknown
};

// A file opened by name; closed on destruction. Throws EFOpenError ('Cannot open file "%s". %s')
// or EFCreateError ('Cannot create file "%s". %s') with the system's reason.
class TFileStream : public THandleStream {
 public:
  TFileStream(const std::string& fileName, unsigned mode);
  // Takes over an open descriptor of the file fileName.
  TFileStream(int handle, const std::string& fileName)
      : THandleStream(handle), fileName_(fileName) {}
  ~TFileStream() override;
  const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
};

// A growable stream in memory.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> data) : data_(std::move(data)) {}
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, int origin) override;
  void SetSize(std::int64_t size) override;
  const std::vector<std::uint8_t>& Data() const { return data_; }
  std::vector<std::uint8_t>& Data() { return data_; }

 private:
  std::vector<std::uint8_t> data_;
  std::int64_t pos_ = 0;
};

}  // namespace zip
