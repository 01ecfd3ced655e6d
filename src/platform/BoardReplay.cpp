#include "platform/BoardReplay.h"

#include <algorithm>

namespace vireo {

BoardReplay::BoardReplay(std::int64_t ticksPerSecond, std::int64_t delayUs)
    : ticksPerSecond_(ticksPerSecond),
      delay_(delayUs * ticksPerSecond / 1'000'000),
      follow_(Ticks(kFollowUs)) {}

void BoardReplay::Publish(std::int64_t at, int level) {
  if (level == lastLevel_) return;
  // Changes are shown in order, each after the one before.
  at = std::max(at, lastAt_ + 1);
  const std::uint64_t w = written_.load(std::memory_order_relaxed);
  if (w - consumed_.load(std::memory_order_acquire) >= kCapacity) {
    dropped_.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  ring_[w % kCapacity] = {at, level};
  written_.store(w + 1, std::memory_order_release);
  lastAt_ = at;
  lastLevel_ = level;
}

void BoardReplay::AddLevel(bool light, std::uint32_t us, bool continues, std::int64_t arrival) {
  // A word of the other level than the one under way means the words
  // between were lost: the timeline starts again at this one.
  if (anchored_ && light != levelLight_) AddGap(arrival);
  levelUs_ += us;
  if (!anchored_) {
    // The word came as its level ended (or went on): that moment is shown
    // a delay later.
    anchored_ = true;
    levelLight_ = light;
    levelStart_ = arrival + delay_ - Ticks(levelUs_);
    Publish(levelStart_, light ? 0 : 1);
  }
  if (continues) {
    // A long quiet follows the host's clock, so that a board whose clock
    // runs a little fast or slow stays a delay behind; a quiet that grows or
    // shrinks by a little shows nowhere.
    const std::int64_t ahead = levelStart_ + Ticks(levelUs_) - arrival;
    if (!light) levelStart_ += std::clamp(delay_ - ahead, -follow_, follow_);
    return;
  }
  const std::int64_t end = levelStart_ + Ticks(levelUs_);
  Publish(end, light ? 1 : 0);
  levelLight_ = !light;
  levelStart_ = std::max(end, lastAt_);
  levelUs_ = 0;
}

void BoardReplay::AddGap(std::int64_t arrival) {
  Publish(arrival + delay_, 1);
  anchored_ = false;
  levelUs_ = 0;
}

int BoardReplay::LevelAt(std::int64_t now) {
  const std::uint64_t w = written_.load(std::memory_order_acquire);
  const std::uint64_t before = read_;
  while (read_ < w && ring_[read_ % kCapacity].at <= now) {
    level_ = ring_[read_ % kCapacity].level;
    ++read_;
  }
  if (read_ != before) consumed_.store(read_, std::memory_order_release);
  return level_;
}

std::int64_t BoardReplay::NextChange() const {
  return read_ < written_.load(std::memory_order_acquire) ? ring_[read_ % kCapacity].at : -1;
}

}  // namespace vireo
