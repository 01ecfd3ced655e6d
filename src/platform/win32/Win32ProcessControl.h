// The process priority class and the time-critical worker thread on
// Windows.
#pragma once

#include <functional>

#include "platform/ProcessControl.h"

namespace vireo {

class Win32ProcessControl final : public ProcessControl {
 public:
  bool SetPriorityClass(PriorityClass priority) override;
  bool StartTimeCriticalThread(std::function<void()> body) override;
};

}  // namespace vireo
