#include "SignalTestSupport.h"

#include <string>

#include "signal/FramePair.h"

namespace vireo::testing {

SignalFrame FrameFromPicture(std::string_view picture, int firstSlot) {
  SignalFrame frame;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    const int k = firstSlot + static_cast<int>(i);
    if (k < 0 || k >= kSlotCount) continue;
    frame.slots[k] = picture[i] == '1' ? 1 : picture[i] == '0' ? -1 : 0;
  }
  return frame;
}

SignalFrame FrameFromRuns(const std::vector<Run>& runs) {
  SignalFrame frame;
  int k = 0;
  for (const Run& run : runs) {
    for (int i = 0; i < run.length && k < kSlotCount; ++i) frame.slots[k++] = run.value;
  }
  return frame;
}

std::string Picture(const SignalFrame& frame) {
  std::string text;
  for (std::int32_t v : frame.slots) text += v > 0 ? '1' : v < 0 ? '0' : '.';
  text.erase(text.find_last_not_of('.') + 1);
  return text;
}

std::string FrameDifference(const SignalFrame& a, const SignalFrame& b) {
  for (int k = 0; k < kSlotCount; ++k) {
    if (a.slots[k] != b.slots[k]) {
      return "slot " + std::to_string(k) + ": " + std::to_string(a.slots[k]) + " vs " +
             std::to_string(b.slots[k]);
    }
  }
  auto field = [](const char* name, std::int64_t x, std::int64_t y) {
    return x == y ? std::string()
                  : std::string(name) + ": " + std::to_string(x) + " vs " + std::to_string(y);
  };
  for (const std::string& d :
       {field("accepted", a.accepted, b.accepted), field("startTime", a.startTime, b.startTime),
        field("overflow", a.overflow, b.overflow), field("shift", a.shift, b.shift),
        field("windowMs", a.windowMs, b.windowMs), field("minSlots", a.minSlots, b.minSlots)}) {
    if (!d.empty()) return d;
  }
  return {};
}

void RecordingView::AddTraceRow(const std::string& slotText) {
  calls += "add:" + std::to_string(slotText.size()) + ";";
  traceRows.push_back(slotText);
}

void RecordingView::SetReferenceRow(const std::string& slotText) {
  calls += "ref:" + std::to_string(slotText.size()) + ";";
  referenceRow = slotText;
}

SignalFrame SampleCapture(const std::vector<int>& durationsUs, const Sampling& sampling) {
  // Level changes in microseconds: idle until the first mark, then mark,
  // space, mark, ... and idle after the last duration.
  std::vector<std::int64_t> edges{sampling.leadIdleUs};
  for (int d : durationsUs) edges.push_back(edges.back() + d);
  const std::int64_t endUs = edges.back() + sampling.tailIdleUs;

  ManualClock clock(kSimulatedTicksPerSecond);
  FramePair pair;
  pair.SetClock(&clock);
  pair.ResetPacket(sampling.windowMs, 0);
  constexpr std::int64_t kTicksPerUs = kSimulatedTicksPerSecond / 1'000'000;
  std::size_t edge = 0;
  for (std::int64_t t = 0; t <= endUs; t += sampling.periodUs) {
    while (edge < edges.size() && edges[edge] <= t) ++edge;
    // Before the first edge and after the last the line idles (CTS on); an
    // odd number of edges passed means a mark, the line off.
    const bool lineOn = edge % 2 == 0;
    clock.Set(t * kTicksPerUs);
    pair.MarkSample(lineOn);
  }
  return pair.packet;
}

}  // namespace vireo::testing
