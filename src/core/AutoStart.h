// Start at login: the XDG autostart entry that starts the program with the desktop session, named
// "Tessaly Rududira Backup" and running the executable without arguments.
#pragma once

#include <string>

#include "zip/Exceptions.h"

namespace core {

inline constexpr const char* kAutoStartName = "Tessaly Rududira Backup";

// Raised when the autostart entry cannot be written; the text is
// "Failed to set data for 'Tessaly Rududira Backup'".
class EAutoStartError : public zip::Exception {
 public:
  EAutoStartError();
};

// Where the entry lives: $XDG_CONFIG_HOME/autostart/ (only when absolute), else
// ~/.config/autostart/, then tessaly-rududira-backup.desktop.
std::string AutoStartFile();

// The text of the entry that starts executable (an absolute path).
std::string AutoStartEntry(const std::string& executable);

// True when the entry exists and starts this executable.
bool IsAutoStartEnabled(const std::string& executable);

// Writes the entry for executable, creating the folder as needed, in one atomic replacement.
// Throws EAutoStartError when that fails.
void EnableAutoStart(const std::string& executable);

// Removes the entry; a missing entry is no error. Returns false when it exists and cannot be
// removed.
bool DisableAutoStart();

}  // namespace core
