// TEndCentral: the end of central directory record with the archive comment; finds the record at
// the end of an archive (and its ZIP64 form) and writes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zip {

class TStream;

class TEndCentral {
 public:
  TEndCentral() { Clear(); }
  TEndCentral(const TEndCentral& other) : TEndCentral() { Assign(other); }
  TEndCentral& operator=(const TEndCentral& other) {
    Assign(other);
    return *this;
  }

  std::uint32_t Signature;
  std::uint32_t ThisDisk;
  std::uint32_t CentralDirectoryDisk;
  std::uint64_t EntriesThisDisk;
  std::uint64_t TotalEntries;
  std::int64_t CentralDirectorySize;
  std::int64_t CentralDirectoryOffset;
  std::uint16_t CommentLength;
  std::int64_t CommentOffset;  // where the comment begins, just after the fixed 22 bytes
  std::uint8_t CommentChanged;
  // Where the central directory should end: the ZIP64 end record when there is one, else this
  // record. Set by FindInStream.
  std::int64_t CentralDirectoryEnd;

  // Initial values: the end signature, every number 0, no comment.
  void Clear();
  // Copies the record fields and CommentOffset, and the comment when the source has one loaded;
  // CommentChanged is not copied.
  void Assign(const TEndCentral& source);

  const std::optional<std::string>& Comment() const { return comment_; }
  // Replaces the comment (none for empty text); CommentLength follows.
  void SetComment(const std::string& text);
  bool HasComment() const { return CommentLength != 0; }
  // Bytes SaveToStream writes: 22 + comment, plus the ZIP64 records when they are needed.
  std::int64_t RecordSize() const;
  // True when counts, sizes or offsets pass the 16- and 32-bit fields.
  bool NeedsZip64() const;

  // Writes the record and the loaded comment; before it, the ZIP64 end record and locator when
  // NeedsZip64. Throws EStreamError on a short write.
  void SaveToStream(TStream& stream) const;
  // Finds the record nearest the end of the stream and takes its fields (and those of its ZIP64
  // record when the fields are marked). A 0-byte stream counts as found (an empty archive).
  // False when not found. The comment is not read.
  bool FindInStream(TStream& stream);

 private:
  void ReadZip64(TStream& stream, std::int64_t recordOffset);
  std::optional<std::string> comment_;
};

}  // namespace zip
