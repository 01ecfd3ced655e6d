// VOL_UP and VOL_DOWN: the master volume moved by one fifteenth of the
// control's maximum, the new level 0..15 and its caption. The control is
// reached on the first volume action and kept until the main window closes.
#pragma once

#include <cstdint>
#include <string>

#include "actions/VolumeSource.h"

namespace vireo {

class MasterVolume {
 public:
  static constexpr std::int32_t kLevels = 15;

  explicit MasterVolume(VolumeSource& source) : source_(source) {}

  // The new level, or -1 when no usable control can be had.
  std::int32_t VolumeUp();
  std::int32_t VolumeDown();
  // "Громче N" for sign '+', "Тише N" for '-', "ERROR" below 0.
  static std::string VolumeCaption(std::int32_t level, char sign);
  // Reaches the control and un-mutes its line once; false when there is none.
  bool EnsureMixer();
  // The main window's close: lets the control go.
  void Release();

 private:
  // Values outside the bounds, compared unsigned, are not set.
  void Set(std::int32_t value, std::int32_t minimum, std::int32_t maximum);
  static std::int32_t Level(std::int32_t value, std::int32_t maximum);

  VolumeSource& source_;
  bool held_ = false;
};

}  // namespace vireo
