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
  std::vector<std::string> tooLong;  // buttons whose packet does not fit the finest usable buffer
};

// The stop pauses worth trying, in ms, shortest first: each cuts the
// recordings between two clusters of pause lengths, so that a packet holds
// one frame, or a frame and its companion frames.
std::vector<std::int32_t> StopPauseCandidates(const std::vector<ButtonSignal>& buttons);

// Every setting for one stop pause. The ratio thresholds are provisional
// until ChooseThreshold has seen the ratios.
SettingsChoice ChooseSettings(const std::vector<ButtonSignal>& buttons, std::int32_t stopPauseMs);

// The threshold between the two groups of the observed ratios (in
// hundredths); sets PACKET_MAX and PACKET_MIN with their reason.
void ChooseThreshold(std::vector<std::int32_t> ratios, SettingsChoice& choice);

}  // namespace vireo::learn
