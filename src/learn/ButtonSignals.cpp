#include "learn/ButtonSignals.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/sim/Recording.h"

namespace vireo::learn {

namespace {

void AddCapture(std::vector<ButtonSignal>& buttons, const std::string& name, Durations capture) {
  for (ButtonSignal& button : buttons) {
    if (button.name == name) {
      button.captures.push_back(std::move(capture));
      return;
    }
  }
  buttons.push_back({name, {std::move(capture)}});
}

// A pause this long ends a press: what follows is another press, or noise.
// No handset's burst lasts this long: one is a fault of the recording.
constexpr std::int64_t kPressEndUs = 200'000;
constexpr std::int64_t kLongestBurstUs = 100'000;

// Levels to durations: leading quiet dropped, and the trailing quiet, which
// is the end of the recording rather than part of the signal.
Durations FromRecording(const sim::Recording& recording) {
  Durations out;
  for (const sim::Segment& segment : recording) {
    const bool quiet = segment.level == 1;
    if (out.empty() && quiet) continue;
    if (!quiet && segment.durationUs > kLongestBurstUs) {
      if (out.empty()) continue;  // a fault before the signal: skip it
      break;
    }
    if (quiet && segment.durationUs > kPressEndUs) break;
    out.push_back(segment.durationUs);
  }
  if (out.size() % 2 == 0 && !out.empty()) out.pop_back();
  return out;
}

bool ReadFlipper(const std::string& text, std::vector<ButtonSignal>& buttons, std::string& error) {
  std::vector<sim::NamedRecording> blocks;
  if (!sim::ParseFlipperBlocks(text, "", blocks, error)) return false;
  bool any = false;
  for (const sim::NamedRecording& block : blocks) {
    Durations capture = FromRecording(block.levels);
    if (capture.empty()) continue;
    AddCapture(buttons, block.name, std::move(capture));
    any = true;
  }
  if (!any) error = "no raw button signal";
  return any;
}

}  // namespace

bool ReadButtonSignals(const std::vector<std::string>& paths, std::vector<ButtonSignal>& buttons,
                       std::string& error) {
  for (const std::string& path : paths) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (file) text << file.rdbuf();
    if (!file || file.bad()) {
      error = "cannot read '" + path + "'";
      return false;
    }
    std::string why;
    if (sim::LooksLikeFlipperIr(text.str())) {
      if (!ReadFlipper(text.str(), buttons, why)) {
        error = "'" + path + "': " + why;
        return false;
      }
      continue;
    }
    sim::Recording levels;
    if (!sim::ParseMode2(text.str(), levels, why)) {
      error = "'" + path + "': " + why;
      return false;
    }
    Durations capture = FromRecording(levels);
    if (capture.empty()) {
      error = "'" + path + "': no signal";
      return false;
    }
    AddCapture(buttons, std::filesystem::path(path).stem().string(), std::move(capture));
  }
  return true;
}

}  // namespace vireo::learn
