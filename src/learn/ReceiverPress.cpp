#include "learn/ReceiverPress.h"

#include <algorithm>
#include <cstdlib>

namespace vireo::learn {

namespace {

// A pause this long ends a frame: longer than any pause inside one, as the
// recordings' readers also take it.
constexpr std::int64_t kFrameGapUs = 20'000;
constexpr std::int64_t kRunToleranceUs = 150;

Durations FirstFrame(const Durations& capture) {
  Durations frame;
  for (std::size_t i = 0; i < capture.size(); ++i) {
    if (i % 2 == 1 && capture[i] > kFrameGapUs) break;
    frame.push_back(capture[i]);
  }
  return frame;
}

bool Close(std::int64_t a, std::int64_t b) {
  const std::int64_t apart = std::abs(a - b);
  return apart <= kRunToleranceUs || apart * 4 <= std::max(a, b);
}

}  // namespace

Durations PressCapture(const std::vector<RawPacket>& packets) {
  Durations capture;
  std::int64_t lastEnd = -1;  // when the last burst ended, in us
  for (const RawPacket& packet : packets) {
    std::int64_t at = packet.beginUs;
    for (int i = 0; i < packet.count; ++i) {
      const bool burst = (i % 2 == 0) != packet.firstOn;
      const std::int64_t end = at + packet.us[i];
      if (burst) {
        if (lastEnd >= 0) capture.push_back(std::max<std::int64_t>(at - lastEnd, 0));
        capture.push_back(packet.us[i]);
        lastEnd = end;
      }
      at = end;
    }
  }
  return capture;
}

bool SameSignal(const Durations& a, const Durations& b) {
  const Durations x = FirstFrame(a), y = FirstFrame(b);
  if (x.empty() || x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!Close(x[i], y[i])) return false;
  }
  return true;
}

PressVerdict CheckPress(const Durations& press, bool cut, const std::vector<Durations>& earlier,
                        const std::vector<ButtonSignal>& learned) {
  if (cut) return {PressCheck::kCut};
  if (press.empty()) return {PressCheck::kEmpty};
  for (std::size_t b = 0; b < learned.size(); ++b) {
    for (const Durations& capture : learned[b].captures) {
      if (SameSignal(press, capture)) return {PressCheck::kTaken, static_cast<int>(b)};
    }
  }
  const bool agrees =
      earlier.empty() || std::any_of(earlier.begin(), earlier.end(),
                                     [&](const Durations& e) { return SameSignal(press, e); });
  return {agrees ? PressCheck::kAgrees : PressCheck::kDiffers};
}

std::string FlipperFileText(const std::vector<ButtonSignal>& buttons) {
  std::string text =
      "Filetype: IR signals file\nVersion: 1\n#\n# Recorded by Vireo from its receiver\n";
  for (const ButtonSignal& button : buttons) {
    for (const Durations& capture : button.captures) {
      // The receiver shows no carrier; 38 kHz is what most handsets use.
      text +=
          "#\nname: " + button.name + "\ntype: raw\nfrequency: 38000\nduty_cycle: 0.330000\ndata:";
      for (std::int64_t us : capture) text += " " + std::to_string(us);
      text += "\n";
    }
  }
  return text;
}

int AgreeingPresses(const std::vector<Durations>& presses) {
  int most = 0;
  for (const Durations& one : presses) {
    const auto same = std::count_if(presses.begin(), presses.end(),
                                    [&](const Durations& other) { return SameSignal(one, other); });
    most = std::max(most, static_cast<int>(same));
  }
  return most;
}

}  // namespace vireo::learn
