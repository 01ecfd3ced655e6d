#include "platform/sim/SimPlatform.h"

#include <algorithm>
#include <thread>

namespace vireo::sim {

SimSerialLine::SimSerialLine(VirtualTime& time, Recording recording, std::int64_t samplingTicks)
    : time_(time), samplingTicks_(samplingTicks) {
  for (const Segment& s : recording) {
    totalTicks_ += s.durationUs * kTicksPerUs;
    ends_.push_back(totalTicks_);
    levels_.push_back(s.level);
  }
}

bool SimSerialLine::Open(std::int32_t port) {
  calls_ += "open:" + std::to_string(port) + ";";
  if (open_ || port < 1) return false;
  open_ = true;
  startTicks_ = time_.ticks + kLeadInMs * kTicksPerMs;
  cursor_ = 0;
  return true;
}

bool SimSerialLine::SetDtr(bool on) {
  calls_ += on ? "dtr:1;" : "dtr:0;";
  return !failDtr;
}

bool SimSerialLine::SetRts(bool on) {
  calls_ += on ? "rts:1;" : "rts:0;";
  return !failRts;
}

int SimSerialLine::ReadCts() {
  time_.ticks += samplingTicks_;
  if (ctsUnreadable) return -1;
  std::int64_t t = time_.ticks - startTicks_;
  if (!open_ || t < 0 || t >= totalTicks_) return idleLevel;
  // Time only moves forward, so the segment is found by walking on; a level
  // exactly at a boundary belongs to the segment that begins there.
  if (cursor_ > 0 && t < ends_[cursor_ - 1]) cursor_ = 0;
  while (ends_[cursor_] <= t) ++cursor_;
  return levels_[cursor_];
}

bool SimSerialLine::WaitForEdge(std::int32_t timeoutMs) {
  ++edgeWaits;
  if (interrupted_.exchange(false)) return false;
  const std::int64_t limit = time_.ticks + std::max<std::int64_t>(0, timeoutMs) * kTicksPerMs;
  // The first change of level after now, in ticks from the recording's start:
  // where idle meets the recording, or where two segments differ.
  const std::int64_t t = time_.ticks - startTicks_;
  std::int64_t edge = -1;
  if (open_ && !ends_.empty()) {
    if (t < 0 && levels_.front() != idleLevel) {
      edge = 0;
    } else {
      // Segments that end after now, in order, until one meets another level.
      for (auto i = static_cast<std::size_t>(
               std::upper_bound(ends_.begin(), ends_.end(), std::max<std::int64_t>(t, 0)) -
               ends_.begin());
           i < ends_.size() && edge < 0; ++i) {
        const int next = i + 1 < levels_.size() ? levels_[i + 1] : idleLevel;
        if (next != levels_[i]) edge = ends_[i];
      }
    }
  }
  if (edge >= 0 && startTicks_ + edge + edgeLatencyTicks <= limit) {
    time_.ticks = std::max(time_.ticks, startTicks_ + edge + edgeLatencyTicks);
    return true;
  }
  time_.ticks = limit;
  return false;
}

bool SimSerialLine::Close() {
  if (!open_) return true;
  calls_ += "close;";
  open_ = false;
  return true;
}

void SimWallClock::StampTime(WallStamp& stamp) {
  std::int64_t ms = time_.ticks / kTicksPerMs;
  stamp = WallStamp{};
  stamp.year = 2026;
  stamp.month = 12;
  stamp.day = 7;
  stamp.dayOfWeek = 1;
  // Kept on one day: the time of day wraps rather than changing the day.
  ms %= 24LL * 3600 * 1000;
  stamp.milliseconds = static_cast<std::uint16_t>(ms % 1000);
  stamp.second = static_cast<std::uint16_t>(ms / 1000 % 60);
  stamp.minute = static_cast<std::uint16_t>(ms / 60000 % 60);
  stamp.hour = static_cast<std::uint16_t>(ms / 3600000);
}

bool SimProcessControl::SetPriorityClass(PriorityClass priority) {
  if (failPriority) return false;
  priorities.push_back(priority);
  return true;
}

bool SimProcessControl::StartTimeCriticalThread(std::function<void()> body) {
  std::thread(std::move(body)).detach();
  return true;
}

}  // namespace vireo::sim
