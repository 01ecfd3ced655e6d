// The process-wide services the worker needs: its priority class and a
// thread started at time-critical priority.
#pragma once

#include <functional>

namespace vireo {

enum class PriorityClass { Idle, Normal, High, Realtime };

class ProcessControl {
 public:
  virtual ~ProcessControl() = default;
  virtual bool SetPriorityClass(PriorityClass priority) = 0;
  // Runs body on a new, detached thread at time-critical priority; false
  // when no thread could be started.
  virtual bool StartTimeCriticalThread(std::function<void()> body) = 0;
};

}  // namespace vireo
