// A small command-line argument scanner for ovaruz-cli: options with values, flags, positionals.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// A usage error: the command line is wrong (exit status 2).
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

class Args {
 public:
  // valueOptions take a value ("--sort name" or "--sort=name"); flagOptions take none.
  // Throws UsageError for an unknown option or a missing value.
  Args(const std::vector<std::string>& args, const std::vector<std::string>& valueOptions,
       const std::vector<std::string>& flagOptions);

  // The last value given for option, or nothing.
  std::optional<std::string> Value(const std::string& option) const;
  // Every value given for option, in order.
  std::vector<std::string> Values(const std::string& option) const;
  bool Flag(const std::string& option) const;
  const std::vector<std::string>& Positional() const { return positional_; }

 private:
  std::vector<std::pair<std::string, std::string>> values_;
  std::vector<std::string> flags_;
  std::vector<std::string> positional_;
};

// The password of --password, or the first line of the file named by --password-file; empty
// when neither is given. Throws zip::EFOpenError when the file cannot be read.
std::string PasswordOf(const Args& args);

}  // namespace cli
