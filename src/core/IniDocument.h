// IniDocument: the text of one INI file held in memory, read and changed with the rules of the
// program's INI-file service. Lines the program does not touch (comments, unknown keys, blank
// lines, text before the first section) are kept exactly as they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace core {

// Longest value a read returns, in characters (UTF-8 code points).
inline constexpr std::size_t kMaxIniValueLength = 2047;

class IniDocument {
 public:
  IniDocument();

  // Parses INI text: an optional UTF-8 byte-order mark is skipped; lines end with LF or CRLF.
  // Never fails: lines that are neither a section header nor a key line are kept as they are.
  static IniDocument Parse(std::string_view text);
  // The text with LF line ends (empty for a document without lines).
  std::string Text() const;

  // Reads follow these rules: section and key names match without regard to (ASCII) case and to
  // surrounding blanks; the first matching section and the first matching key in it win.

  // The value with surrounding blanks removed, cut to kMaxIniValueLength characters; the default
  // when the section or key is missing.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue = {}) const;
  // The value as a decimal integer, or hexadecimal after "0x" or "$" (an optional sign first); the
  // default when it is missing, not an integer, or beyond 32 bits.
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
  // ReadInteger != 0; the default when the value is missing or not an integer.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  // The non-empty values of the keys word + i for i = first .. first + count - 1 (i in decimal),
  // in index order. Takes time bounded by the section's size, whatever the count.
  std::vector<std::string> ReadList(std::string_view section, std::string_view word, int first,
                                    int count) const;
  // True when a section of that name exists.
  bool SectionExists(std::string_view section) const;
  // The names of all sections in file order (duplicates included).
  std::vector<std::string> SectionNames() const;

  // Sets the value of the key, adding the section (at the end) and the key (after the last
  // non-blank line of the section) when missing; an existing key line is rewritten as
  // "key=value" and nothing else changes. Line breaks in names and values become blanks, so a
  // value can never start another line.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Writes the decimal text of value.
  void WriteInteger(std::string_view section, std::string_view key, int value);
  // Writes "1" for true and "0" for false.
  void WriteBool(std::string_view section, std::string_view key, bool value);
  // Removes every section of that name with all its lines; nothing when there is none.
  void EraseSection(std::string_view section);

 private:
  struct Section {
    std::string name;                // trimmed name from the header; empty for the preamble
    std::vector<std::string> lines;  // header first (except for the preamble)
    bool hasHeader = false;
    mutable bool indexed = false;                               // keys is valid
    mutable std::unordered_map<std::string, std::size_t> keys;  // upper-case key -> first line
  };

  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  // The line index of the key in the section, or npos.
  std::size_t FindKey(const Section& section, std::string_view key) const;
  void IndexKeys(const Section& section) const;
  void RebuildSectionIndex();

  std::vector<Section> sections_;                       // sections_[0] is the preamble
  std::unordered_map<std::string, std::size_t> index_;  // upper-case name -> first section
};

}  // namespace core
