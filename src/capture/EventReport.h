// The pair every reporter needs: the event log and the run state, with the
// log-and-stop path for failures after which the worker must not go on.
#pragma once

#include <string>

#include "capture/LogSink.h"
#include "capture/RunState.h"

namespace vireo {

inline void LogAndStop(LogSink& log, RunState& state, const std::string& message) {
  log.AppendLog(message, true);
  state.Set(kStopRequested);
}

}  // namespace vireo
