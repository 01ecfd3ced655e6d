// RunState is the one integer through which the worker tells what it is doing
// and the user interface asks it to stop. A stored stop request is never
// overwritten: the worker moves between its states only by compare-and-exchange.
#pragma once

#include <atomic>
#include <cstdint>

namespace vireo {

enum RunStateValue : std::int32_t {
  kStopped = 0,
  kIdle = 1,
  kArmed = 10,
  kReceiving = 99,
  kStopRequested = 666,
};

class RunState {
 public:
  std::int32_t Get() const { return value_.load(std::memory_order_acquire); }
  void Set(std::int32_t value) { value_.store(value, std::memory_order_release); }

  // Asks a present worker to stop; does nothing while no worker runs.
  void RequestStop() {
    std::int32_t current = value_.load(std::memory_order_acquire);
    while (current != kStopped && current != kStopRequested) {
      if (value_.compare_exchange_weak(current, kStopRequested, std::memory_order_acq_rel,
                                       std::memory_order_acquire)) {
        return;
      }
    }
  }

  // The worker's own move: succeeds only if nobody changed the value since
  // the worker read `from`.
  bool Transition(std::int32_t from, std::int32_t to) {
    return value_.compare_exchange_strong(from, to, std::memory_order_acq_rel,
                                          std::memory_order_acquire);
  }

 private:
  std::atomic<std::int32_t> value_{kStopped};
};

}  // namespace vireo
