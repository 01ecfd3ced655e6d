// The POWER_OFF countdown: 30 seconds shown on the caption, cancelled by any
// other handset button, then the shutdown request and the main window's end.
#pragma once

#include <cstdint>

#include "actions/CaptionSurface.h"
#include "actions/ShutdownControl.h"
#include "capture/LogSink.h"
#include "platform/WallClock.h"

namespace vireo {

class ShutdownCountdown {
 public:
  static constexpr std::int32_t kSeconds = 30;

  ShutdownCountdown(WallClock& clock, ShutdownControl& shutdown, CaptionSurface& caption,
                    LogSink& log)
      : clock_(clock), shutdown_(shutdown), caption_(caption), log_(log) {}

  // The main window's initialisation: nothing pending, stamped now.
  void Reset();
  bool Pending() const { return pending_; }
  // Starts (or restarts) the countdown; the next tick writes the first number.
  void RequestShutdown();
  // Once per timer tick while pending: the seconds left on the caption, and
  // at the first tick past 30 seconds the request and the window's end.
  void ShutdownTick();
  void CancelShutdown();

 private:
  WallClock& clock_;
  ShutdownControl& shutdown_;
  CaptionSurface& caption_;
  LogSink& log_;
  bool pending_ = false;
  WallStamp requestTime_;
};

}  // namespace vireo
