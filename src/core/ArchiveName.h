// Naming the next archive of a project: folder, trimmed prefix, then nothing, the moment as
// "mm-dd_hhHnnMssS" or a running number, then ".zip".
#pragma once

#include <string>

#include "zip/DateTime.h"

namespace core {

// What follows the prefix; the values are those stored as a project's Suffix.
enum class ArchiveSuffix { None = 0, Date = 1, Number = 2 };

// Longest running number that zero padding produces, whatever Width says (Preferences offers 2
// to 30); a larger Width only comes from a hand-edited file.
inline constexpr int kMaxNumberWidth = 30;

struct ArchiveNaming {
  std::string saveFolder;  // the current save path
  std::string prefix;
  ArchiveSuffix suffix = ArchiveSuffix::Number;
  int number = 1;          // the next running number
  bool padNumber = false;  // Is Append 0
  int width = 2;           // Width
};

// The moment as two-digit month "-" day "_" hour "h" minute "m" second "s", e.g. 07-04_09h05m03s.
std::string FormatDateSuffix(const zip::DateTime& moment);

// The number in decimal; when pad is on and it has fewer characters than width (at most
// kMaxNumberWidth), "0" characters in front make it that long. Never cut.
std::string FormatRunningNumber(int number, bool pad, int width);

// The archive path: the trimmed save folder with a trailing separator (nothing when it is
// empty), the trimmed prefix, the suffix (now for Date) and ".zip".
std::string ComposeArchiveName(const ArchiveNaming& naming, const zip::DateTime& now);

// The folder that stands for the "c:\" default of a project's Save Path: the home folder.
std::string DefaultSavePath();

}  // namespace core
