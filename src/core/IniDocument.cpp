// Parsing, reading and changing INI text in memory.
#include "core/IniDocument.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <map>

#include "zip/Text.h"

namespace core {

namespace {

constexpr std::size_t npos = std::string::npos;

std::string NameKey(std::string_view name) {
  return zip::UpperCase(zip::Trim(name));
}

// The section name of a header line ("[name]", blanks allowed around it), or false.
bool ParseHeader(std::string_view line, std::string& name) {
  std::string trimmed = zip::Trim(line);
  if (trimmed.empty() || trimmed.front() != '[') return false;
  std::size_t close = trimmed.rfind(']');
  if (close == npos || close == 0) return false;
  name = zip::Trim(std::string_view(trimmed).substr(1, close - 1));
  return true;
}

// Splits a key line at its first "="; false for blank lines, comments and lines without a key.
bool SplitKeyLine(std::string_view line, std::string_view& key, std::string_view& value) {
  std::size_t eq = line.find('=');
  if (eq == npos) return false;
  std::string trimmed = zip::Trim(line.substr(0, eq));
  if (trimmed.empty() || trimmed.front() == ';') return false;
  key = line.substr(0, eq);
  value = line.substr(eq + 1);
  return true;
}

// The first max code points of UTF-8 text.
std::string CutToCharacters(std::string s, std::size_t max) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;  // continuation byte
    if (++count > max) {
      s.resize(i);
      break;
    }
  }
  return s;
}

std::string OneLine(std::string_view text) {
  std::string r(text);
  std::replace(r.begin(), r.end(), '\r', ' ');
  std::replace(r.begin(), r.end(), '\n', ' ');
  return r;
}

bool ParseInteger(std::string_view text, int& out) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty() || text.front() == '-' || text.front() == '+') return false;
  std::uint64_t magnitude = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  if (base == 16) {
    // Hexadecimal is a 32-bit pattern: $FFFFFFFF reads as -1.
    if (magnitude > 0xFFFFFFFFu) return false;
    auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    out = negative ? static_cast<int>(-static_cast<std::int64_t>(value)) : value;
    return true;
  }
  std::int64_t value =
      negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  if (magnitude > 0x80000000u || value < std::numeric_limits<int>::min() ||
      value > std::numeric_limits<int>::max())
    return false;
  out = static_cast<int>(value);
  return true;
}

}  // namespace

IniDocument::IniDocument() : sections_(1) {}

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument doc;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    std::string_view line = text.substr(pos, end == npos ? npos : end - pos);
    pos = end == npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string name;
    if (ParseHeader(line, name)) {
      Section section;
      section.name = name;
      section.hasHeader = true;
      doc.sections_.push_back(std::move(section));
    }
    doc.sections_.back().lines.emplace_back(line);
  }
  doc.RebuildSectionIndex();
  return doc;
}

std::string IniDocument::Text() const {
  std::string text;
  for (const Section& section : sections_) {
    for (const std::string& line : section.lines) {
      text += line;
      text += '\n';
    }
  }
  return text;
}

void IniDocument::RebuildSectionIndex() {
  index_.clear();
  for (std::size_t i = 1; i < sections_.size(); ++i)
    index_.emplace(zip::UpperCase(sections_[i].name), i);  // keeps the first of duplicates
}

const IniDocument::Section* IniDocument::FindSection(std::string_view name) const {
  auto it = index_.find(NameKey(name));
  return it == index_.end() ? nullptr : &sections_[it->second];
}

IniDocument::Section* IniDocument::FindSection(std::string_view name) {
  auto it = index_.find(NameKey(name));
  return it == index_.end() ? nullptr : &sections_[it->second];
}

void IniDocument::IndexKeys(const Section& section) const {
  if (section.indexed) return;
  section.keys.clear();
  for (std::size_t i = section.hasHeader ? 1 : 0; i < section.lines.size(); ++i) {
    std::string_view key, value;
    if (SplitKeyLine(section.lines[i], key, value)) section.keys.emplace(NameKey(key), i);
  }
  section.indexed = true;
}

std::size_t IniDocument::FindKey(const Section& section, std::string_view key) const {
  IndexKeys(section);
  auto it = section.keys.find(NameKey(key));
  return it == section.keys.end() ? npos : it->second;
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return std::string(defaultValue);
  std::size_t line = FindKey(*s, key);
  if (line == npos) return std::string(defaultValue);
  std::string_view k, value;
  SplitKeyLine(s->lines[line], k, value);
  return CutToCharacters(zip::Trim(value), kMaxIniValueLength);
}

int IniDocument::ReadInteger(std::string_view section, std::string_view key,
                             int defaultValue) const {
  int value = 0;
  return ParseInteger(ReadString(section, key), value) ? value : defaultValue;
}

bool IniDocument::ReadBool(std::string_view section, std::string_view key,
                           bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> IniDocument::ReadList(std::string_view section, std::string_view word,
                                               int first, int count) const {
  std::vector<std::string> values;
  const Section* s = FindSection(section);
  if (s == nullptr || count <= 0) return values;
  IndexKeys(*s);
  // Walk the keys present rather than every index: a count from a damaged file may be huge.
  const std::string prefix = NameKey(word);
  const std::int64_t last = static_cast<std::int64_t>(first) + count - 1;
  std::map<std::int64_t, std::size_t> found;
  for (const auto& [key, line] : s->keys) {
    if (key.size() <= prefix.size() || key.compare(0, prefix.size(), prefix) != 0) continue;
    std::string_view digits = std::string_view(key).substr(prefix.size());
    if (digits.size() > 1 && digits.front() == '0') continue;  // "Count01" is not "Count1"
    std::int64_t index = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (ec != std::errc() || end != digits.data() + digits.size()) continue;
    if (index >= first && index <= last) found.emplace(index, line);
  }
  for (const auto& [index, line] : found) {
    std::string_view k, value;
    SplitKeyLine(s->lines[line], k, value);
    std::string text = CutToCharacters(zip::Trim(value), kMaxIniValueLength);
    if (!text.empty()) values.push_back(std::move(text));
  }
  return values;
}

bool IniDocument::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  for (std::size_t i = 1; i < sections_.size(); ++i) names.push_back(sections_[i].name);
  return names;
}

void IniDocument::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  const std::string sectionName = zip::Trim(OneLine(section));
  const std::string keyName = zip::Trim(OneLine(key));
  Section* s = FindSection(sectionName);
  if (s == nullptr) {
    // A blank line sets the new section apart from the text before it.
    Section& last = sections_.back();
    if (!last.lines.empty() && !zip::Trim(last.lines.back()).empty()) last.lines.emplace_back();
    Section added;
    added.name = sectionName;
    added.hasHeader = true;
    added.lines.push_back("[" + sectionName + "]");
    sections_.push_back(std::move(added));
    index_.emplace(zip::UpperCase(sectionName), sections_.size() - 1);
    s = &sections_.back();
  }
  std::size_t line = FindKey(*s, keyName);
  if (line != npos) {
    std::string_view oldKey, oldValue;
    SplitKeyLine(s->lines[line], oldKey, oldValue);
    s->lines[line] = zip::Trim(oldKey) + "=" + OneLine(value);
    return;
  }
  // After the last non-blank line, so blank lines between sections stay between them; only blank
  // lines follow, so no indexed key line moves.
  std::size_t at = s->lines.size();
  while (at > (s->hasHeader ? 1u : 0u) && zip::Trim(s->lines[at - 1]).empty()) --at;
  s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at),
                  keyName + "=" + OneLine(value));
  s->keys.emplace(NameKey(keyName), at);
}

void IniDocument::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniDocument::EraseSection(std::string_view section) {
  const std::string key = NameKey(section);
  auto erased = std::remove_if(sections_.begin() + 1, sections_.end(),
                               [&](const Section& s) { return zip::UpperCase(s.name) == key; });
  if (erased == sections_.end()) return;
  sections_.erase(erased, sections_.end());
  RebuildSectionIndex();
}

}  // namespace core
