// Asks the operating system to shut the computer down, closing other
// programs without asking them.
#pragma once

namespace vireo {

class ShutdownControl {
 public:
  virtual ~ShutdownControl() = default;
  // False when the request was refused.
  virtual bool RequestShutdown() = 0;
};

}  // namespace vireo
