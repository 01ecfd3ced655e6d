#include "learn/SettingsChoice.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "learn/LearnTexts.h"
#include "learn/Press.h"
#include "signal/PeriodCode.h"
#include "signal/SignalFrame.h"

namespace vireo::learn {

namespace {

// A packet starts once a burst has lasted more than 1 ms (the shortest start
// pause); 2.2 ms leaves room for jitter and the sampling period.
constexpr std::int32_t kStartPauseMs = 1;
constexpr std::int64_t kStartBurstUs = 2200;
// A receiver may lengthen a burst by this much and shorten the pause after it.
constexpr std::int64_t kStretchUs = 150;
constexpr int kSlots = kSlotCount;

std::int32_t Ceil(double value) { return static_cast<std::int32_t>(std::ceil(value)); }

// The part of a capture between two pauses that end a packet.
struct Region {
  std::size_t begin;  // index of its first burst
  std::size_t end;    // one past its last burst
};

std::vector<Region> Regions(const Durations& capture, std::int64_t stopUs) {
  std::vector<Region> regions;
  std::size_t begin = 0;
  for (std::size_t i = 1; i <= capture.size(); i += 2) {
    if (i == capture.size() || capture[i] >= stopUs) {
      regions.push_back({begin, std::min(i, capture.size())});
      begin = i + 1;
    }
  }
  return regions;
}

// Every pause length of the recordings, and each capture's repeat gap.
std::set<std::int64_t> PauseLengths(const std::vector<ButtonSignal>& buttons) {
  std::set<std::int64_t> pauses;
  for (const ButtonSignal& button : buttons) {
    for (const Durations& capture : button.captures) {
      for (std::size_t i = 1; i < capture.size(); i += 2) pauses.insert(capture[i]);
      pauses.insert(RepeatGapUs(capture));
    }
  }
  return pauses;
}

// The settings of the quiet spells, alike whatever the code: how long a
// quiet line ends a press, and the pause after a recognised button.
// The quiet spells between the frames of a press: each capture's repeat
// gap and the pauses that end its packets.
struct FrameGaps {
  double longest = 0, shortest = 1e18;
  void Add(double gap) {
    longest = std::max(longest, gap);
    shortest = std::min(shortest, gap);
  }
  void AfterRegion(const Durations& capture, const Region& region) {
    if (region.end < capture.size()) Add(static_cast<double>(capture[region.end]));
  }
};

void ChooseQuietSpells(SettingsChoice& choice, const FrameGaps& gaps, double stopMs,
                       const char* merging) {
  CaptureSettings& s = choice.settings;
  s.timerType = 0;
  choice.why.push_back({"TIMER_TYPE", text::kTimerType});
  // Quiet spells inside a press are shorter than the longest gap between its
  // frames; a longer one ends the burst, so the next press starts afresh.
  const double afterStop = std::max(0.0, gaps.longest / 1000.0 - stopMs);
  s.packetSleep = std::max(10, Ceil(1.2 * afterStop) + 2);
  choice.why.push_back({"PACKET_SLEEP", text::PacketSleep(gaps.longest, merging)});
  s.sleepTimeSmall =
      std::clamp(static_cast<std::int32_t>(gaps.shortest / 1000.0 - stopMs) - 2, 1, 100);
  choice.why.push_back({"SLEEP_TIMESMALL", text::SleepTimeSmall(gaps.shortest)});
}

// Merging and noise, alike whatever the code: how well a repeat must fit,
// and how few slots a packet holds that is little more than its stop pause
// (bareStopMs long at most).
void ChooseMerging(SettingsChoice& choice, int mostEdges, double shortestContent, double stopMs,
                   double bareStopMs) {
  CaptureSettings& s = choice.settings;
  s.addPrecision = std::clamp(2 * mostEdges, 10, 299);
  choice.why.push_back({"ADDPRECISION", text::AddPrecision(mostEdges)});
  const double slotsPerMs = static_cast<double>(kSlots) / s.bufferSize;
  s.packetValid = std::max(
      1, std::min(static_cast<std::int32_t>(slotsPerMs * bareStopMs),
                  static_cast<std::int32_t>(slotsPerMs * (shortestContent / 1000.0 + stopMs) / 2)));
  choice.why.push_back({"PACKET_VALID", text::PacketValid(s.packetValid)});
  s.packetElement = 0;
  s.classPriority = 2;
}

}  // namespace

std::vector<std::int32_t> StopPauseCandidates(const std::vector<ButtonSignal>& buttons) {
  const std::set<std::int64_t> pauses = PauseLengths(buttons);
  std::vector<std::int32_t> candidates;
  if (pauses.empty()) return candidates;
  for (auto it = pauses.begin(); std::next(it) != pauses.end() && candidates.size() < 3; ++it) {
    const double below = static_cast<double>(*it);
    const double above = static_cast<double>(*std::next(it));
    if (above < 1.4 * below) continue;
    // Over the longest pause below with 15 % to spare; the pause above must
    // still end the packet when 15 % shorter.
    std::int32_t stop = std::max(1, Ceil(below * 1.15 / 1000.0));
    if ((stop + 2) * 1000.0 <= above * 0.85) candidates.push_back(stop);
  }
  return candidates;
}

SettingsChoice ChooseSettings(const std::vector<ButtonSignal>& buttons, std::int32_t stopPauseMs) {
  SettingsChoice choice;
  CaptureSettings& s = choice.settings;
  const std::int64_t stopUs = (std::int64_t{stopPauseMs} + 1) * 1000;
  double longestPause = 0, longestContent = 0, shortestContent = 1e18;
  FrameGaps gaps;
  double longestHead = 0;
  int mostEdges = 0;
  std::vector<std::int64_t> inner;
  std::vector<std::pair<std::string, double>> contents;
  for (const ButtonSignal& button : buttons) {
    bool starts = false, late = false;
    double content = 0;
    for (const Durations& capture : button.captures) {
      gaps.Add(static_cast<double>(RepeatGapUs(capture)));
      for (const Region& region : Regions(capture, stopUs)) {
        gaps.AfterRegion(capture, region);
        std::size_t head = region.begin;
        while (head < region.end && capture[head] < kStartBurstUs) head += 2;
        for (std::size_t i = region.begin; i < region.end; ++i) {
          inner.push_back(capture[i]);
          if (i % 2 == 1) longestPause = std::max(longestPause, static_cast<double>(capture[i]));
        }
        if (head >= region.end) continue;
        starts = true;
        // The first burst is seen up to one idle poll (1 ms) late.
        late = late || (region.begin == 0 && capture[head] < kStartBurstUs + 1000);
        longestHead = std::max(longestHead, static_cast<double>(capture[head]));
        double span = static_cast<double>(capture[head]) - 1000.0 * (kStartPauseMs + 1);
        for (std::size_t i = head + 1; i < region.end; ++i) span += static_cast<double>(capture[i]);
        content = std::max(content, span);
        shortestContent = std::min(shortestContent, span);
        mostEdges = std::max(mostEdges, static_cast<int>(region.end - head));
      }
    }
    if (!starts) choice.noStart.push_back(button.name);
    if (late) choice.lateStart.push_back(button.name);
    contents.push_back({button.name, content});
    longestContent = std::max(longestContent, content);
  }
  if (shortestContent > longestContent) shortestContent = longestContent;

  ChooseQuietSpells(choice, gaps, stopPauseMs, "PACKET_SLEEP + PACKET_STOP_PAUSE");
  s.sleepTimeBig = 1;
  choice.why.push_back({"SLEEP_TIMEBIG", text::kSleepTimeBigPolled});
  s.packetStopPause = stopPauseMs;
  s.packetStopValue = 1;
  choice.why.push_back({"PACKET_STOP_PAUSE", text::PacketStopPause(stopPauseMs, longestPause)});
  s.packetStartPause = kStartPauseMs;
  s.packetStartValue = 0;
  choice.why.push_back({"PACKET_START_PAUSE", text::PacketStartPause(longestHead)});

  // Slots of at least three per shortest run, after a receiver's stretch.
  std::sort(inner.begin(), inner.end());
  const double shortest =
      inner.empty() ? 500.0
                    : std::max(100.0, static_cast<double>(inner[inner.size() / 20]) - kStretchUs);
  const std::int32_t finest = std::max(10, static_cast<std::int32_t>(kSlots * shortest / 3000.0));
  s.bufferSize = std::max(10, Ceil(longestContent * 1.06 / 1000.0 + 3));
  const bool cut = s.bufferSize > finest;
  if (cut) {
    s.bufferSize = finest;
    for (const auto& [name, content] : contents) {
      if (content * 1.06 / 1000.0 + 3 > finest) choice.tooLong.push_back(name);
    }
  }
  choice.why.push_back({"BUFFER_SIZE", text::BufferSize(longestContent, cut,
                                                        1000.0 * s.bufferSize / kSlots, shortest)});
  s.packetMax = 200;
  s.packetMin = 190;
  // The stop condition is met in whole milliseconds: up to 2 ms past the pause.
  ChooseMerging(choice, mostEdges, shortestContent, stopPauseMs, stopPauseMs + 2);
  return choice;
}

std::vector<std::int32_t> StopPauseCandidatesUs(const std::vector<ButtonSignal>& buttons) {
  const std::set<std::int64_t> pauses = PauseLengths(buttons);
  std::vector<std::int32_t> candidates;
  for (auto it = pauses.begin();
       it != pauses.end() && std::next(it) != pauses.end() && candidates.size() < 3; ++it) {
    const double below = static_cast<double>(*it);
    const double above = static_cast<double>(*std::next(it));
    if (above < 1.4 * below) continue;
    // A pause inside a packet may come out longer by the jitter and the
    // sampling; one between packets shorter by those and the stretch.
    const std::int32_t stop = Ceil(below * 1.1 + 200);
    if (above * 0.9 - kStretchUs - 100 > stop) candidates.push_back(stop);
  }
  return candidates;
}

SettingsChoice ChoosePeriodSettings(const std::vector<ButtonSignal>& buttons, std::int32_t stopUs) {
  SettingsChoice choice;
  CaptureSettings& s = choice.settings;
  double longestPause = 0, longestContent = 0, shortestContent = 1e18;
  FrameGaps gaps;
  int mostEdges = 0;
  std::vector<std::pair<std::string, int>> edgeCounts;
  for (const ButtonSignal& button : buttons) {
    double content = 0;
    int edges = 0;
    for (const Durations& capture : button.captures) {
      gaps.Add(static_cast<double>(RepeatGapUs(capture)));
      for (const Region& region : Regions(capture, stopUs)) {
        gaps.AfterRegion(capture, region);
        double span = 0;
        for (std::size_t i = region.begin; i < region.end; ++i) {
          span += static_cast<double>(capture[i]);
          if (i % 2 == 1) longestPause = std::max(longestPause, static_cast<double>(capture[i]));
        }
        content = std::max(content, span);
        shortestContent = std::min(shortestContent, span);
        edges = std::max(edges, static_cast<int>(region.end - region.begin));
      }
    }
    mostEdges = std::max(mostEdges, edges);
    edgeCounts.push_back({button.name, edges});
    longestContent = std::max(longestContent, content);
  }
  if (shortestContent > longestContent) shortestContent = longestContent;
  const double stopMs = stopUs / 1000.0;
  ChooseQuietSpells(choice, gaps, stopMs, "PACKET_SLEEP");
  s.sleepTimeBig = 1;
  choice.why.push_back({"SLEEP_TIMEBIG", text::kSleepTimeBigEdgeWait});
  s.packetStopValue = 1;
  s.packetStopUs = stopUs;
  choice.why.push_back({"PACKET_STOP_US", text::PacketStopUs(stopUs, longestPause)});
  s.packetStartValue = 0;
  s.packetStartUs = 0;
  choice.why.push_back({"PACKET_START_US", text::kPacketStartUs});
  s.edgeWait = true;
  choice.why.push_back({"EDGE_WAIT", text::kEdgeWait});

  // The code is timed from the edges, not the slots: the frame only has to
  // hold the packet for the picture and the merging, with slots no
  // narrower than the slowest sampling, whose samples would sit apart.
  s.bufferSize = std::max(kSlots * 60 / 1000, Ceil((longestContent * 1.06 + stopUs) / 1000.0 + 1));
  for (const auto& [name, edges] : edgeCounts) {
    if (edges > PacketEdges::kMaxEdges) choice.tooLong.push_back(name);
  }
  choice.why.push_back(
      {"BUFFER_SIZE", text::BufferSizeByEdges(longestContent, 1000.0 * s.bufferSize / kSlots)});
  ChooseMerging(choice, mostEdges, shortestContent, stopMs, stopMs + 1);
  return choice;
}

void SetPeriodForm(SettingsChoice& choice, const PeriodForm& form, const std::string& why) {
  choice.settings.periodForm = form;
  std::erase_if(choice.why, [](const auto& entry) {
    return entry.first == "CODE_PERIODS" || entry.first == "CODE_LONG_BURST";
  });
  choice.why.push_back({"CODE_PERIODS", why});
  choice.why.push_back(
      {"CODE_LONG_BURST", form.longBurstUs > 0 ? text::kLongBurst : text::kNoLongBurst});
}

void SetThreshold(SettingsChoice& choice, std::int32_t threshold, const std::string& why) {
  choice.settings.packetMax = threshold;
  // One more than the maximum: a pair at the threshold itself reads 0, never ?.
  choice.settings.packetMin = threshold + 1;
  std::erase_if(choice.why, [](const auto& entry) {
    return entry.first == "PACKET_MAX" || entry.first == "PACKET_MIN";
  });
  const auto at = std::find_if(choice.why.begin(), choice.why.end(),
                               [](const auto& entry) { return entry.first == "PACKET_VALID"; }) -
                  choice.why.begin();
  choice.why.insert(choice.why.begin() + at, {"PACKET_MAX", why});
  choice.why.insert(choice.why.begin() + at + 1, {"PACKET_MIN", text::kPacketMin});
}

}  // namespace vireo::learn
