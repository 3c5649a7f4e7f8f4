// What a backup or restore run tells its caller while it works, and what it asks of it: the busy
// state, progress, the message pump, cancellation and the clock. Every member may be empty.
#pragma once

#include <functional>

#include "zip/DateTime.h"

namespace core {

struct RunHooks {
  // Leaves (true) or enters (false) the busy state: run buttons, tabs, tray backup items.
  std::function<void(bool enabled)> enableRunControls;
  // Overall progress in percent, 0 to 100; set back to 0 when the run ends.
  std::function<void(int percent)> progress;
  // Called often while the archive library works (the GUI processes its events here).
  std::function<void()> processMessages;
  // Asked while the archive library works; true cancels the run with "User canceled Zip
  // operation", leaving no partial archive.
  std::function<bool()> cancelRequested;
  // The current local date and time; empty: the system clock.
  std::function<zip::DateTime()> clock;

  zip::DateTime Now() const { return clock ? clock() : zip::DateTime::Now(); }

  // The pump the archive library calls: processes messages, then throws zip::EUserCanceled when
  // cancellation was asked for.
  std::function<void()> Pump() const;
  // Sets the progress, when there is a progress handler.
  void Progress(int percent) const {
    if (progress) progress(percent);
  }
  // Enters (false) or leaves (true) the busy state, when there is a handler.
  void EnableRunControls(bool enabled) const {
    if (enableRunControls) enableRunControls(enabled);
  }
};

}  // namespace core
