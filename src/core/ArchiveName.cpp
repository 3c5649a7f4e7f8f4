// Composing archive paths.
#include "core/ArchiveName.h"

#include <algorithm>
#include <cstdio>

#include "core/DataFolder.h"
#include "zip/Paths.h"
#include "zip/Text.h"

namespace core {

std::string FormatDateSuffix(const zip::DateTime& moment) {
  zip::DateParts p = moment.Parts();
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d-%02d_%02dh%02dm%02ds", p.month, p.day, p.hour,
                p.minute, p.second);
  return buffer;
}

std::string FormatRunningNumber(int number, bool pad, int width) {
  std::string digits = std::to_string(number);
  const int target = std::min(width, kMaxNumberWidth);
  if (pad && target > static_cast<int>(digits.size()))
    digits.insert(0, static_cast<std::size_t>(target) - digits.size(), '0');
  return digits;
}

std::string ComposeArchiveName(const ArchiveNaming& n, const zip::DateTime& now) {
  std::string path = zip::Trim(n.saveFolder);
  if (!path.empty()) path = zip::IncludeTrailingPathDelimiter(path);
  path += zip::Trim(n.prefix);
  switch (n.suffix) {
    case ArchiveSuffix::Date:
      path += FormatDateSuffix(now);
      break;
    case ArchiveSuffix::Number:
      path += FormatRunningNumber(n.number, n.padNumber, n.width);
      break;
    case ArchiveSuffix::None:
      break;
  }
  return path + ".zip";
}

std::string DefaultSavePath() {
  return HomeFolder();
}

}  // namespace core
