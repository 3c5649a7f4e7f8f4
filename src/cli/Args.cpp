// The command-line argument scanner.
#include "cli/Args.h"

#include <algorithm>
#include <fstream>

#include "zip/Exceptions.h"

namespace cli {

Args::Args(const std::vector<std::string>& args, const std::vector<std::string>& valueOptions,
           const std::vector<std::string>& flagOptions) {
  auto known = [](const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  };
  bool onlyPositional = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (onlyPositional || a.size() < 2 || a[0] != '-') {
      positional_.push_back(a);
      continue;
    }
    if (a == "--") {
      onlyPositional = true;
      continue;
    }
    std::string name = a, value;
    bool inlineValue = false;
    if (auto eq = a.find('='); eq != std::string::npos && a.rfind("--", 0) == 0) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
      inlineValue = true;
    }
    if (known(valueOptions, name)) {
      if (!inlineValue) {
        if (i + 1 >= args.size()) throw UsageError("option " + name + " needs a value");
        value = args[++i];
      }
      values_.emplace_back(name, value);
    } else if (known(flagOptions, name) && !inlineValue) {
      flags_.push_back(name);
    } else {
      throw UsageError("unknown option " + name);
    }
  }
}

std::optional<std::string> Args::Value(const std::string& option) const {
  std::optional<std::string> last;
  for (const auto& [name, value] : values_)
    if (name == option) last = value;
  return last;
}

std::vector<std::string> Args::Values(const std::string& option) const {
  std::vector<std::string> all;
  for (const auto& [name, value] : values_)
    if (name == option) all.push_back(value);
  return all;
}

bool Args::Flag(const std::string& option) const {
  return std::find(flags_.begin(), flags_.end(), option) != flags_.end();
}

std::string PasswordOf(const Args& args) {
  if (auto p = args.Value("--password")) return *p;
  if (auto f = args.Value("--password-file")) {
    std::ifstream in(*f, std::ios::binary);
    if (!in) throw zip::EFOpenError("Cannot open password file \"" + *f + "\"");
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
  return {};
}

}  // namespace cli
