// The error classes of the program: one base class and the archive library's errors, each with its
// fixed text.
#pragma once

#include <stdexcept>
#include <string>

namespace zip {

// Base of every error the program raises itself.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

#define OVZ_DECLARE_ERROR(Name, DefaultText)                          \
  class Name : public Exception {                                     \
   public:                                                            \
    Name() : Exception(DefaultText) {}                                \
    explicit Name(const std::string& message) : Exception(message) {} \
  };

// Errors of the archive library.
OVZ_DECLARE_ERROR(EBadZipFile, "Not a valid zip file!")
OVZ_DECLARE_ERROR(EIncompleteZip, "Incomplete Zip File")
OVZ_DECLARE_ERROR(ENotAZipFile, "Not a valid zip file!")
OVZ_DECLARE_ERROR(EFatalUnzipError, "Premature end of file reached")
OVZ_DECLARE_ERROR(EBiggerThanUncompressed, "File is larger than uncompressed size!")
OVZ_DECLARE_ERROR(ECantWriteUCF, "Cant write uncompressed file")
OVZ_DECLARE_ERROR(EUserCanceled, "User canceled Zip operation")
OVZ_DECLARE_ERROR(ENotEnoughRoom, "Not enough room to write archive")
// The silent abort: ends an operation from inside an event handler; callers report nothing.
OVZ_DECLARE_ERROR(EAbort, "Operation aborted")

// Errors of the general containers and streams.
OVZ_DECLARE_ERROR(EListError, "List index out of bounds")
OVZ_DECLARE_ERROR(EStreamError, "Stream error")
OVZ_DECLARE_ERROR(EFOpenError, "Cannot open file")
OVZ_DECLARE_ERROR(EFCreateError, "Cannot create file")
OVZ_DECLARE_ERROR(EAssignError, "Cannot assign")
OVZ_DECLARE_ERROR(EConvertError, "Invalid value")

#undef OVZ_DECLARE_ERROR

// Formats "List index out of bounds (%d)", the list error for a bad index.
std::string ListIndexText(long long index);

}  // namespace zip
