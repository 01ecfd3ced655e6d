// The capture settings a handset needs, chosen from its recordings: where a
// packet starts and ends, how long a frame is, when a burst of activity is
// over, and the ratio threshold between the code's two symbols.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "capture/CaptureSettings.h"
#include "learn/ButtonSignals.h"

namespace vireo::learn {

struct SettingsChoice {
  CaptureSettings settings;
  // Per key, in the order they are written, why it has its value (Windows-1251).
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

// The stop pauses worth trying with the code by pair periods, in us: as
// above, but not bound to whole milliseconds.
std::vector<std::int32_t> StopPauseCandidatesUs(const std::vector<ButtonSignal>& buttons);

// Every setting of the opt-in kind for one stop pause in us: the quiet line
// waits for the CTS edge, a packet starts on the first sample of any burst
// and ends after stopUs of quiet, and the code is by pair periods, whose
// classes are provisional until SetPeriodForm.
SettingsChoice ChoosePeriodSettings(const std::vector<ButtonSignal>& buttons, std::int32_t stopUs);

// Sets CODE_PERIODS and CODE_LONG_BURST, with the reason.
void SetPeriodForm(SettingsChoice& choice, const PeriodForm& form, const std::string& why);

// Sets PACKET_MAX to the threshold between the code's two symbols (in
// hundredths of a pair's ratio) and PACKET_MIN one above, with the reason.
void SetThreshold(SettingsChoice& choice, std::int32_t threshold, const std::string& why);

}  // namespace vireo::learn
