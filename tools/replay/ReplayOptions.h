// Command line of vireo-replay.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vireo::replay {

struct Options {
  std::string recordingPath;
  std::int64_t stepUs = 10;
  std::int64_t wakeUs = 0;  // how late a wait for the CTS edge wakes
  bool debug = false;
  std::int64_t tailMs = 1000;
  std::int64_t repeat = 1;
  std::int64_t gapMs = 150;
  std::string button;
  std::string svgPath;  // where to draw the signal view's picture, if anywhere
  std::int64_t jitterUs = 0;
  std::uint64_t seed = 1;
  bool help = false;
};

// False with a message for an unknown option, a bad or missing number, or a
// missing recording argument.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

// A whole decimal number of digits only, within [min, max].
bool ParseNumber(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& out);

extern const char kUsage[];

}  // namespace vireo::replay
