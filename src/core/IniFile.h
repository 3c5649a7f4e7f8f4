// IniFile: the program's INI-file service over one data file. Every call opens the file, reads or
// writes it, and closes it again; nothing is cached between calls. Every write replaces the file
// atomically and runs under the DataFolderLock of the file's folder.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/IniDocument.h"
#include "core/IniFileError.h"

namespace core {

class IniFile {
 public:
  explicit IniFile(std::string fileName) : fileName_(std::move(fileName)) {}
  const std::string& FileName() const { return fileName_; }

  // The file's current content; a missing or unreadable file reads as an empty document. Take one
  // snapshot for several reads that belong together.
  IniDocument Load() const;

  // Single reads: each loads the file once (see IniDocument for the rules).
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue = {}) const {
    return Load().ReadString(section, key, defaultValue);
  }
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    return Load().ReadInteger(section, key, defaultValue);
  }
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return Load().ReadBool(section, key, defaultValue);
  }
  bool SectionExists(std::string_view section) const { return Load().SectionExists(section); }

  // The batch writer: under the folder's lock, loads the file, lets change read and modify the
  // document, and writes the result back in one atomic replacement, creating the folder and the
  // file as needed. Nothing is written when the text did not change (a missing file stays
  // missing) or when change throws (the exception propagates). Throws EIniFileException
  // ("Unable to write to " + FileName()) when the file exists but cannot be read, or the folder,
  // its lock or the new file cannot be written; the old file is then left as it was.
  void Edit(const std::function<void(IniDocument&)>& change);

  // Single writes: one Edit each.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void EraseSection(std::string_view section);

 private:
  std::string fileName_;
};

}  // namespace core
