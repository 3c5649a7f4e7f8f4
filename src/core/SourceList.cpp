// Source-list entries: their kind and the composed wildcard entry.
#include "core/SourceList.h"

#include "zip/Paths.h"
#include "zip/Text.h"

namespace core {

bool IsFileEntry(std::string_view entry) {
  const std::string name = zip::ExtractFileName(entry);
  return !name.empty() && name.find_first_of("*?<>") == std::string::npos;
}

std::string WildcardEntry(std::string_view folder, std::string_view pattern) {
  return zip::IncludeTrailingPathDelimiter(folder) + zip::Trim(pattern);
}

}  // namespace core
