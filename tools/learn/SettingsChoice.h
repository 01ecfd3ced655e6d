// The capture settings a handset needs, chosen from its recordings: where a
// packet starts and ends, how long a frame is, when a burst of activity is
// over, and the ratio threshold between the code's two symbols.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ButtonSignals.h"
#include "capture/CaptureSettings.h"

namespace vireo::learn {

struct SettingsChoice {
  CaptureSettings settings;
  // Per key, in the order they are written, why it has its value.
  std::vector<std::pair<std::string, std::string>> why;
  std::vector<std::string> noStart;  // buttons with no burst long enough to start a packet
  // Buttons whose first frame opens with a burst short enough to be seen too
  // late to start a packet now and then.
  std::vector<std::string> lateStart;
  std::vector<std::string> tooLong;  // buttons whose packet does not fit the finest usable buffer
};

// The stop pauses worth trying, in ms, shortest first: each cuts the
// recordings between two clusters of pause lengths, so that a packet holds
// one frame, or a frame and its companion frames.
std::vector<std::int32_t> StopPauseCandidates(const std::vector<ButtonSignal>& buttons);

// Every setting for one stop pause. The ratio thresholds are provisional
// until SetThreshold.
SettingsChoice ChooseSettings(const std::vector<ButtonSignal>& buttons, std::int32_t stopPauseMs);

// Sets PACKET_MAX to the threshold between the code's two symbols (in
// hundredths of a pair's ratio) and PACKET_MIN one above, with the reason.
void SetThreshold(SettingsChoice& choice, std::int32_t threshold, const std::string& why);

}  // namespace vireo::learn
