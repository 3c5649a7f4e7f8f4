// The error of the INI-file service: a data file that cannot be written.
#pragma once

#include <string>

#include "zip/Exceptions.h"

namespace core {

// Raised when a data file (or the lock of its folder) cannot be written; the text is
// "Unable to write to " followed by the file's path.
class EIniFileException : public zip::Exception {
 public:
  explicit EIniFileException(const std::string& path) : Exception("Unable to write to " + path) {}
};

}  // namespace core
