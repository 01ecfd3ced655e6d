// The CTS level that a receiver board's stream stands for, replayed on the
// host's clock a fixed delay behind the board. The board sends each level's
// duration only when the level ends, so the replay runs late enough for the
// word that ends a level to have come before the level's end is shown; the
// durations inside a packet are then the board's own, whatever the USB
// transfers did to their arrival. One thread writes (the stream's reader),
// one reads (the worker); neither locks or allocates.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace vireo {

class BoardReplay {
 public:
  static constexpr std::uint64_t kCapacity = 1024;  // changes of level not yet shown
  // How far one word of a long quiet may move the replay towards its delay:
  // enough to follow a board whose clock runs 0.5 % off, too little for the
  // bunching of USB transfers to change the gaps between packets.
  static constexpr std::int64_t kFollowUs = 64;

  // Times in ticks of the host clock, `ticksPerSecond` of them a second.
  BoardReplay(std::int64_t ticksPerSecond, std::int64_t delayUs);

  // Writer. A level word that came at `arrival` (what the stream decoder
  // reports): `us` more of level `light`, which goes on when `continues`.
  void AddLevel(bool light, std::uint32_t us, bool continues, std::int64_t arrival);
  // Levels were lost, or the stream stopped: quiet from arrival + delay, and
  // the next word starts the timeline anew.
  void AddGap(std::int64_t arrival);
  // Changes dropped because the reader was a whole store behind.
  std::uint64_t Dropped() const { return dropped_.load(std::memory_order_relaxed); }

  // Reader. The level at `now`: 1 quiet (CTS on), 0 infrared light.
  int LevelAt(std::int64_t now);
  // When the next change after the last one LevelAt showed is due, or -1
  // when none is known yet.
  std::int64_t NextChange() const;

 private:
  struct Change {
    std::int64_t at = 0;
    int level = 1;
  };
  std::int64_t Ticks(std::int64_t us) const { return us * ticksPerSecond_ / 1'000'000; }
  void Publish(std::int64_t at, int level);

  const std::int64_t ticksPerSecond_;
  const std::int64_t delay_;
  const std::int64_t follow_;

  // Writer's own.
  bool anchored_ = false;        // the timeline has a start on the host clock
  bool levelLight_ = false;      // the level under way
  std::int64_t levelStart_ = 0;  // when the replay starts it
  std::int64_t levelUs_ = 0;     // its words so far
  std::int64_t lastAt_ = 0;      // the last change published
  int lastLevel_ = 1;

  std::array<Change, kCapacity> ring_{};
  std::atomic<std::uint64_t> written_{0};
  std::atomic<std::uint64_t> consumed_{0};
  std::atomic<std::uint64_t> dropped_{0};

  // Reader's own.
  std::uint64_t read_ = 0;
  int level_ = 1;
};

}  // namespace vireo
