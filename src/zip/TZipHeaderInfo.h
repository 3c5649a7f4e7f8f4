// TZipHeaderInfo: one archive entry as its central directory header describes it, with its name
// split into directory and file name, its comment and a few marks; reads and writes the local and
// central header records.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zip {

class TStream;

// Replaces the stream with the next volume's stream when a header runs past the end of a volume.
using TNextVolumeFunc = std::function<void(TStream*& stream)>;

class TZipHeaderInfo {
 public:
  TZipHeaderInfo() { Clear(); }
  TZipHeaderInfo(const TZipHeaderInfo& other) { Assign(other); }
  TZipHeaderInfo& operator=(const TZipHeaderInfo& other) {
    Assign(other);
    return *this;
  }
  static const char* ClassName() { return "TZipHeaderInfo"; }

  std::uint16_t VersionMadeBy;  // high byte: host system
  std::uint16_t VersionNeeded;
  std::uint16_t Flag;
  std::uint16_t CompressionMethod;
  std::uint32_t DateTime;  // DOS date (high half) and time (low half), local time
  std::uint32_t CRC32;
  std::int64_t CompressedSize;  // includes the 12-byte encryption header
  std::int64_t UncompressedSize;
  std::uint16_t FileNameLength;  // bytes of Directory + FileName
  std::uint16_t CentralExtraLength;
  std::uint16_t LocalExtraLength;  // extra bytes a caller writes after the local header
  std::uint16_t FileCommentLength;
  std::uint32_t DiskNumberStart;
  std::uint16_t InternalAttributes;  // while writing, 2 = not yet decided by the compressor
  std::uint32_t ExternalAttributes;
  std::int64_t LocalHeaderOffset;
  std::int64_t CentralHeaderOffset;  // where the central header was read; 0 otherwise
  std::uint8_t ExtractMark;
  std::uint8_t EntryState;
  std::uint8_t Selected;
  // The local header carries a ZIP64 extra field (set by the writer before the first write when
  // the entry may pass 4 GiB; set by SaveLocalToStream when the sizes need it).
  bool LocalZip64;

  // Sets the initial values: version 20/20, method 8, CRC 0xFFFFFFFF, internal attributes 1,
  // external attributes 0x20, everything else 0 or empty.
  void Clear();
  // Copies every field; the comment only when the source has one loaded (else this entry's
  // comment stays as it was).
  void Assign(const TZipHeaderInfo& source);

  const std::string& FileName() const { return fileName_; }
  const std::string& Directory() const { return directory_; }
  // Directory + FileName.
  std::string FullName() const { return directory_ + fileName_; }
  void SetFileName(const std::string& name);
  // A non-empty value gets a trailing separator when it lacks one.
  void SetDirectory(const std::string& dir);
  const std::optional<std::string>& FileComment() const { return comment_; }
  // Replaces the comment (none for nullopt); FileCommentLength follows.
  void SetFileComment(const std::optional<std::string>& comment);

  bool HasComment() const { return FileCommentLength != 0; }
  bool IsEncrypted() const { return Flag & 0x0001; }
  bool HasDataDescriptor() const { return Flag & 0x0008; }
  int Host() const { return VersionMadeBy >> 8; }
  // Bytes of the local header with name and extra field, and of the central header.
  std::int64_t LocalSize() const;
  std::int64_t CentralSize() const;

  // Sets LocalHeaderOffset to the stream position and writes the local header and name (no caller
  // extra bytes; a ZIP64 extra field when the sizes need it). Throws EStreamError on a short write.
  void SaveLocalToStream(TStream& stream);
  // Writes the central header, name, ZIP64 extra field when needed, and the loaded comment.
  void SaveCentralToStream(TStream& stream) const;
  // Reads a central header at the stream position. False (stream put back) for a short read or a
  // wrong signature. nextVolume, when given, continues a header cut at the end of a volume.
  bool ReadCentralFromStream(TStream*& stream, const TNextVolumeFunc& nextVolume = {});
  // Reads a local header; the stream is left just after the name. False (stream put back) for a
  // short read or a wrong signature.
  bool ReadLocalFromStream(TStream& stream);

  // The stored form of the name: "/" separators; sets flag bit 11 when it is not ASCII.
  std::string StoredName();

 private:
  void UpdateNameLength();
  // The fields local and central headers share, the date normalised.
  void TakeCommonFields(std::uint16_t needed, std::uint16_t flag, std::uint16_t method,
                        std::uint32_t dos, std::uint32_t crc, std::uint32_t csize,
                        std::uint32_t usize);
  void SplitName(const std::string& name);

  std::string fileName_;
  std::string directory_;
  std::optional<std::string> comment_;
};

}  // namespace zip
