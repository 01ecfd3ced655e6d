#include "actions/ShutdownCountdown.h"

#include "actions/ActionMessages.h"
#include "config/NumberText.h"

namespace vireo {

void ShutdownCountdown::Reset() {
  pending_ = false;
  clock_.StampTime(requestTime_);
}

void ShutdownCountdown::RequestShutdown() {
  pending_ = true;
  clock_.StampTime(requestTime_);
  caption_.ShowCaption();
}

void ShutdownCountdown::ShutdownTick() {
  const std::int32_t left = kSeconds - ElapsedMs(clock_, requestTime_) / 1000;
  if (left < 0) {
    // A refused request is worth a line; the window closes all the same.
    if (!shutdown_.RequestShutdown()) log_.AppendLog(msg::kShutdownFailed);
    caption_.CloseMainWindow();
    pending_ = false;
  }
  caption_.SetCaptionText(DecimalText(left));
}

void ShutdownCountdown::CancelShutdown() {
  log_.AppendLog(msg::kShutdownCancelled);
  pending_ = false;
}

}  // namespace vireo
