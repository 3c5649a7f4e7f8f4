// Path parts for the native and the Windows conventions.
#include "zip/Paths.h"

#include "zip/Text.h"

namespace zip {

namespace {
bool IsWindows(PathStyle style) {
  return kWindowsPaths || style == PathStyle::Windows;
}

std::size_t LastDelimiter(std::string_view path, PathStyle style) {
  for (std::size_t i = path.size(); i > 0; --i) {
    char c = path[i - 1];
    if (IsPathDelimiter(c, style) || (IsWindows(style) && c == ':')) return i - 1;
  }
  return std::string_view::npos;
}
}  // namespace

bool IsPathDelimiter(char c, PathStyle style) {
  if (IsWindows(style)) return c == '\\' || c == '/';
  return c == kPathDelim;
}

std::string ExtractFilePath(std::string_view path, PathStyle style) {
  std::size_t p = LastDelimiter(path, style);
  return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string ExtractFileName(std::string_view path, PathStyle style) {
  std::size_t p = LastDelimiter(path, style);
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string ExtractFileExt(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    char c = path[i - 1];
    if (c == '.') return std::string(path.substr(i - 1));
    if (IsPathDelimiter(c) || (kWindowsPaths && c == ':')) break;
  }
  return {};
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  std::string e = ExtractFileExt(path);
  std::string r(path.substr(0, path.size() - e.size()));
  r += ext;
  return r;
}

std::string ExtractFileDrive(std::string_view path, PathStyle style) {
  if (!IsWindows(style)) return {};
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  if (path.size() >= 2 && IsPathDelimiter(path[0], style) && IsPathDelimiter(path[1], style)) {
    // "\\server\share": up to the separator after the share name.
    std::size_t seps = 0, i = 2;
    for (; i < path.size(); ++i) {
      if (IsPathDelimiter(path[i], style) && ++seps == 2) break;
    }
    return std::string(path.substr(0, i));
  }
  return {};
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
  std::string r(path);
  if (r.empty() || !IsPathDelimiter(r.back())) r += kPathDelim;
  return r;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
  std::string r(path);
  if (!r.empty() && IsPathDelimiter(r.back())) r.pop_back();
  return r;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string r = IncludeTrailingPathDelimiter(folder);
  while (!name.empty() && IsPathDelimiter(name.front())) name.remove_prefix(1);
  r += name;
  return r;
}

bool SameFileName(std::string_view a, std::string_view b) {
#ifdef _WIN32
  return SameText(a, b);
#else
  return a == b;
#endif
}

}  // namespace zip
