// The pump that the runs hand to the archive library.
#include "core/RunHooks.h"

#include "zip/Exceptions.h"

namespace core {

std::function<void()> RunHooks::Pump() const {
  return [process = processMessages, cancel = cancelRequested]() {
    if (process) process();
    if (cancel && cancel()) throw zip::EUserCanceled();
  };
}

}  // namespace core
