#include "platform/sim/SimPlatform.h"

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
