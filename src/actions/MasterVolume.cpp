#include "actions/MasterVolume.h"

#include "actions/ActionMessages.h"
#include "config/NumberText.h"

namespace vireo {

bool MasterVolume::EnsureMixer() {
  if (held_) return true;
  if (!source_.Open()) return false;
  // The step and the level divide by the maximum: a control without a
  // positive one is no usable control.
  if (source_.Maximum() <= 0) {
    source_.Close();
    return false;
  }
  source_.EnableLine();
  held_ = true;
  return true;
}

void MasterVolume::Release() {
  if (held_) source_.Close();
  held_ = false;
}

std::int32_t MasterVolume::VolumeUp() {
  if (!EnsureMixer()) return -1;
  const std::int32_t current = source_.Volume();
  const std::int32_t maximum = source_.Maximum();
  const std::int32_t step = maximum / kLevels;
  const std::int32_t next = current < maximum - step ? current + step : maximum;
  Set(next, source_.Minimum(), maximum);
  return Level(next, maximum);
}

std::int32_t MasterVolume::VolumeDown() {
  if (!EnsureMixer()) return -1;
  const std::int32_t minimum = source_.Minimum();
  const std::int32_t current = source_.Volume();
  const std::int32_t maximum = source_.Maximum();
  const std::int32_t candidate = current - maximum / kLevels;
  const std::int32_t next = candidate > minimum ? candidate : minimum;
  Set(next, minimum, maximum);
  return Level(next, maximum);
}

std::string MasterVolume::VolumeCaption(std::int32_t level, char sign) {
  if (level < 0) return msg::kVolumeError;
  return (sign == '+' ? msg::kLouderPrefix : msg::kQuieterPrefix) + DecimalText(level);
}

void MasterVolume::Set(std::int32_t value, std::int32_t minimum, std::int32_t maximum) {
  const auto v = static_cast<std::uint32_t>(value);
  if (v < static_cast<std::uint32_t>(minimum) || v > static_cast<std::uint32_t>(maximum)) return;
  source_.SetVolume(value);
}

std::int32_t MasterVolume::Level(std::int32_t value, std::int32_t maximum) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) * kLevels /
                                   static_cast<std::uint32_t>(maximum));
}

}  // namespace vireo
