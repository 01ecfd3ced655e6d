// The shutdown request on Windows: the shutdown privilege first, without
// which Windows refuses, then ExitWindowsEx forcing other programs to close.
#pragma once

#include "actions/ShutdownControl.h"

namespace vireo {

class Win32Shutdown final : public ShutdownControl {
 public:
  bool RequestShutdown() override;
};

}  // namespace vireo
