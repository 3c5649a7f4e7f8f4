// Path parts for the native convention ("/" on POSIX) and for Windows-style paths met in stored
// names ("\" separators, drive letters, "\\server\share"). Folders end with the separator.
#pragma once

#include <string>
#include <string_view>

namespace zip {

#ifdef _WIN32
inline constexpr char kPathDelim = '\\';
inline constexpr bool kWindowsPaths = true;
#else
inline constexpr char kPathDelim = '/';
inline constexpr bool kWindowsPaths = false;
#endif

enum class PathStyle { Native, Windows };

bool IsPathDelimiter(char c, PathStyle style = PathStyle::Native);
// Folder part: up to and including the last separator (or, Windows style, colon); empty if none.
std::string ExtractFilePath(std::string_view path, PathStyle style = PathStyle::Native);
// Name part: after the last separator (or colon, Windows style).
std::string ExtractFileName(std::string_view path, PathStyle style = PathStyle::Native);
// Extension of the name part, with its dot; empty when the name has none.
std::string ExtractFileExt(std::string_view path);
// Path with the extension of its name part replaced by ext (which includes its dot, or is empty).
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// Drive part: "X:" or "\\server\share" (Windows style; on POSIX native paths there is none).
std::string ExtractFileDrive(std::string_view path, PathStyle style = PathStyle::Native);
// True when both texts name the same file by the platform's rule: without regard to case on
// Windows, exactly on POSIX (where "A.zip" and "a.zip" are two files).
bool SameFileName(std::string_view a, std::string_view b);

std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExcludeTrailingPathDelimiter(std::string_view path);
// Joins a folder and a name with exactly one separator between them.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace zip
