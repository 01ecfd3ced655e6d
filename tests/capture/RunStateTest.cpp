#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "capture/EventReport.h"
#include "capture/RunState.h"

namespace vireo {
namespace {

TEST(RunState, RequestStopOnlyWhenAWorkerIsPresent) {
  RunState state;
  state.RequestStop();
  EXPECT_EQ(state.Get(), kStopped);
  for (int value : {kIdle, kArmed, kReceiving, kStopRequested}) {
    state.Set(value);
    state.RequestStop();
    EXPECT_EQ(state.Get(), kStopRequested) << value;
  }
}

TEST(RunState, TransitionNeverOverwritesAStop) {
  RunState state;
  state.Set(kArmed);
  EXPECT_TRUE(state.Transition(kArmed, kReceiving));
  state.RequestStop();
  EXPECT_FALSE(state.Transition(kReceiving, kArmed));
  EXPECT_EQ(state.Get(), kStopRequested);
  state.Set(kStopped);
  EXPECT_FALSE(state.Transition(kArmed, kIdle));
  EXPECT_EQ(state.Get(), kStopped);
}

TEST(RunState, LogAndStopLogsThenStops) {
  LogSink log;
  RunState state;
  state.Set(kIdle);
  LogAndStop(log, state, "BUFFER_SIZE<=0");
  EXPECT_EQ(state.Get(), kStopRequested);
  EXPECT_EQ(log.TakeLogIfChanged(), "\r\nBUFFER_SIZE<=0");
}

// A worker cycling through its states against a stop request from another
// thread: the stop is never lost and the worker always sees it.
TEST(RunState, StopRequestsRaceWorkerTransitions) {
  for (int round = 0; round < 200; ++round) {
    RunState state;
    state.Set(kIdle);
    std::atomic<bool> go{false};
    std::thread worker([&] {
      while (!go.load()) {
      }
      static constexpr std::int32_t kCycle[] = {kIdle, kArmed, kReceiving, kArmed};
      int i = 0;
      for (;;) {
        std::int32_t from = state.Get();
        if (from == kStopRequested) break;
        std::int32_t to = kCycle[(i + 1) % 4];
        if (state.Transition(from, to)) ++i;
      }
      state.Set(kStopped);
    });
    go.store(true);
    std::this_thread::yield();
    state.RequestStop();
    worker.join();
    EXPECT_EQ(state.Get(), kStopped);
  }
}

}  // namespace
}  // namespace vireo
