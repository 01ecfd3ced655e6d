#include "ReplayOptions.h"

#include <limits>

namespace vireo::replay {

const char kUsage[] =
    "usage: vireo-replay [options] RECORDING\n"
    "Replays a recorded handset (LIRC mode2 text or Flipper .ir) through the\n"
    "capture engine and VIREO.INI of the current directory, printing the event log.\n"
    "  --step-us N     sampling period in microseconds (default 10)\n"
    "  --wake-us N     how late EDGE_WAIT wakes after a change of CTS (default 0)\n"
    "  --debug         set the debug switch: log codes with their measured numbers\n"
    "  --tail-ms N     idle time replayed after the recording (default 1000)\n"
    "  --repeat K      play the recording K times (default 1)\n"
    "  --gap-ms G      idle line after each play or .ir signal (default 150)\n"
    "  --button NAME   only the .ir signals of this name\n"
    "  --jitter-us J   change every duration by a random -J..+J microseconds\n"
    "  --seed S        seed of that randomness (default 1)\n"
    "  --svg FILE      also draw the signal view's rows and codes as SVG in FILE\n";

bool ParseNumber(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& out) {
  if (text.empty() || text.size() > 15) return false;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < min || value > max) return false;
  out = value;
  return true;
}

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  struct NumberOption {
    const char* name;
    std::int64_t min;
    std::int64_t max;
    std::int64_t* target;
  };
  // The bounds keep a run from lasting for days: an hour of tail or gap, a
  // second of jitter, ten thousand plays.
  constexpr std::int64_t kHourMs = 3'600'000;
  constexpr std::int64_t kAny = 999'999'999'999'999;
  std::int64_t seed = 1;
  const NumberOption numbers[] = {
      {"--step-us", 1, 1'000'000, &options.stepUs},     {"--tail-ms", 0, kHourMs, &options.tailMs},
      {"--repeat", 1, 10'000, &options.repeat},         {"--gap-ms", 0, kHourMs, &options.gapMs},
      {"--jitter-us", 0, 1'000'000, &options.jitterUs}, {"--seed", 0, kAny, &seed},
      {"--wake-us", 0, 1'000'000, &options.wakeUs},
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return true;
    }
    if (arg == "--debug") {
      options.debug = true;
      continue;
    }
    if (arg == "--button" || arg == "--svg") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = arg + (arg == "--svg" ? " needs a file name" : " needs a name");
        return false;
      }
      (arg == "--svg" ? options.svgPath : options.button) = args[++i];
      continue;
    }
    bool matched = false;
    for (const NumberOption& number : numbers) {
      if (arg != number.name) continue;
      matched = true;
      if (i + 1 >= args.size() ||
          !ParseNumber(args[i + 1], number.min, number.max, *number.target)) {
        error = std::string(number.name) + " needs a whole number from " +
                std::to_string(number.min) + " to " + std::to_string(number.max);
        return false;
      }
      ++i;
    }
    if (matched) continue;
    if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + arg;
      return false;
    }
    if (!options.recordingPath.empty()) {
      error = "more than one recording given";
      return false;
    }
    options.recordingPath = arg;
  }
  options.seed = static_cast<std::uint64_t>(seed);
  if (options.recordingPath.empty()) {
    error = "no recording given";
    return false;
  }
  return true;
}

}  // namespace vireo::replay
