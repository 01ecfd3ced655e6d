// The master output volume as the volume actions need it: one integer
// control with bounds, read and set, and the output line's mute and
// selection switches.
#pragma once

#include <cstdint>

namespace vireo {

class VolumeSource {
 public:
  virtual ~VolumeSource() = default;
  // Reaches the control; false when there is no usable one (the next volume
  // action tries again).
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual std::int32_t Minimum() = 0;
  virtual std::int32_t Maximum() = 0;
  // The first channel's value, or -1 when it cannot be read.
  virtual std::int32_t Volume() = 0;
  // Sets every channel; the caller keeps the value within the bounds.
  virtual void SetVolume(std::int32_t value) = 0;
  // Un-mutes the line and switches its selections on.
  virtual void EnableLine() = 0;
};

}  // namespace vireo
