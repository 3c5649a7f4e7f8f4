// The stream classes on file descriptors and memory.
#include "zip/TStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "zip/Exceptions.h"

namespace zip {

std::int64_t TStream::Size() {
  std::int64_t pos = Seek(0, soCurrent);
  std::int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(std::int64_t) {
  throw EStreamError("Stream does not support resizing");
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count > 0 && Read(buffer, count) != count) throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count > 0 && Write(buffer, count) != count) throw EStreamError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(std::min<std::int64_t>(count, 65536)));
  std::int64_t done = 0;
  while (done < count) {
    std::int64_t n = std::min<std::int64_t>(count - done, static_cast<std::int64_t>(buf.size()));
    source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    done += n;
  }
  return done;
}

std::int64_t THandleStream::Read(void* buffer, std::int64_t count) {
  auto* p = static_cast<char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    ssize_t n = ::read(handle_, p + done, static_cast<std::size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  if (pos_ >= 0) pos_ += done;
  return done;
}

std::int64_t THandleStream::Write(const void* buffer, std::int64_t count) {
  const auto* p = static_cast<const char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    ssize_t n = ::write(handle_, p + done, static_cast<std::size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  if (pos_ >= 0) pos_ += done;
  return done;
}

std::int64_t THandleStream::Seek(std::int64_t offset, int origin) {
  // Asking for the position costs no system call once it is known.
  if (origin == soCurrent && offset == 0 && pos_ >= 0) return pos_;
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(handle_, static_cast<off_t>(offset), whence);
  if (r < 0) {
    pos_ = -1;
    throw EStreamError(std::string("Stream seek error: ") + std::strerror(errno));
  }
  pos_ = r;
  return r;
}

std::int64_t THandleStream::Size() {
  struct stat st {};
  if (::fstat(handle_, &st) == 0 && S_ISREG(st.st_mode)) return st.st_size;
  return TStream::Size();
}

void THandleStream::SetSize(std::int64_t size) {
  pos_ = -1;
  if (::ftruncate(handle_, static_cast<off_t>(size)) != 0)
    throw EStreamError(std::string("Stream resize error: ") + std::strerror(errno));
  if (Position() > size) Seek(size, soBeginning);
}

TFileStream::TFileStream(const std::string& fileName, unsigned mode)
    : THandleStream(-1), fileName_(fileName) {
  if (mode == fmCreate) {
    handle_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (handle_ < 0)
      throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(errno));
    return;
  }
  int flags = (mode & 3) == fmOpenWrite       ? O_WRONLY
              : (mode & 3) == fmOpenReadWrite ? O_RDWR
                                              : O_RDONLY;
  handle_ = ::open(fileName.c_str(), flags | O_CLOEXEC);
  if (handle_ >= 0) {
    struct stat st {};
    if (::fstat(handle_, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(handle_);
      handle_ = -1;
      errno = EISDIR;
    }
  }
  if (handle_ < 0)
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
}

TFileStream::~TFileStream() {
  if (handle_ >= 0) ::close(handle_);
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  std::int64_t size = static_cast<std::int64_t>(data_.size());
  if (count <= 0 || pos_ >= size) return 0;
  std::int64_t n = std::min(count, size - pos_);
  std::memcpy(buffer, data_.data() + pos_, static_cast<std::size_t>(n));
  pos_ += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  if (pos_ + count > static_cast<std::int64_t>(data_.size()))
    data_.resize(static_cast<std::size_t>(pos_ + count));
  std::memcpy(data_.data() + pos_, buffer, static_cast<std::size_t>(count));
  pos_ += count;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, int origin) {
  std::int64_t base = origin == soBeginning ? 0
                      : origin == soCurrent ? pos_
                                            : static_cast<std::int64_t>(data_.size());
  if (base + offset < 0) throw EStreamError("Stream seek error");
  pos_ = base + offset;
  return pos_;
}

void TMemoryStream::SetSize(std::int64_t size) {
  data_.resize(static_cast<std::size_t>(size));
  if (pos_ > size) pos_ = size;
}

}  // namespace zip
