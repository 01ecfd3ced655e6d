// A recorded receiver signal: line levels with their durations, as the
// simulated serial line replays them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vireo::sim {

struct Segment {
  int level;                // 1 = CTS on (no infrared), 0 = CTS off (burst)
  std::int64_t durationUs;  // > 0
  bool operator==(const Segment&) const = default;
};

using Recording = std::vector<Segment>;

std::int64_t TotalUs(const Recording& recording);

// Appends `ms` of idle line (level 1).
void AppendIdle(Recording& recording, std::int64_t ms);

// LIRC mode2 text: "pulse N" is level 0, "space N" and "timeout N" level 1;
// other lines are ignored. False with a message on a malformed duration.
bool ParseMode2(const std::string& text, Recording& out, std::string& error);

// One raw block of a Flipper .ir file: its name and its levels.
struct NamedRecording {
  std::string name;
  Recording levels;
};

// The raw blocks of a Flipper .ir file named `button` (all of them when it is
// empty), in file order. False with a message on a malformed duration in one
// of them.
bool ParseFlipperBlocks(const std::string& text, const std::string& button,
                        std::vector<NamedRecording>& out, std::string& error);

// Flipper .ir raw blocks: the blocks named `button` (all raw blocks when it is
// empty), in file order, each followed by gapMs of idle line. Durations
// alternate burst and pause, starting with a burst.
bool ParseFlipperIr(const std::string& text, const std::string& button, std::int64_t gapMs,
                    Recording& out, std::string& error);

bool LooksLikeFlipperIr(const std::string& text);

}  // namespace vireo::sim
