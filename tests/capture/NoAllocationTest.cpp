// Proves that the sampling loop (capture steps in states 10 and 99 that do
// not end a packet) never allocates: every allocation of this program is
// counted while a step runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "capture/CaptureEngine.h"
#include "support/EngineHarness.h"

namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};

void* CountedAllocate(std::size_t size) {
  if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
  void* p = std::malloc(size == 0 ? 1 : size);
  if (!p) throw std::bad_alloc();
  return p;
}
}  // namespace

void* operator new(std::size_t size) { return CountedAllocate(size); }
void* operator new[](std::size_t size) { return CountedAllocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace vireo {
namespace {

// With the usual settings, and with the opt-in ones, whose steps also store
// the time of every change of level.
class SamplingLoop : public ::testing::TestWithParam<const char*> {};

TEST_P(SamplingLoop, StepsInArmedAndReceivingStatesAllocateNothing) {
  test::EngineHarness h(
      test::ScriptRecording("1 10, nec 9249, 1 40, nec 9249, 1 40, nec 9249, 1 40"),
      test::Config("burst") + "[CONFIG]\nSLEEP_TIMESMALL=1\n" + GetParam() +
          "[COMMAND1]\nValue=a\n[COMMAND2]\nValue=1\n");
  ASSERT_TRUE(h.engine->RunStartUp());

  long armedSteps = 0;
  long receivingSteps = 0;
  int packetEnds = 0;
  std::int64_t end = h.RecordingTicks(500);
  while (h.time.ticks < end) {
    std::int32_t before = h.State();
    gAllocations = 0;
    gCounting = true;
    h.engine->CaptureStep();
    gCounting = false;
    std::int32_t after = h.State();
    if (before == kReceiving && after == kArmed) {
      ++packetEnds;  // a packet end renders and looks up its code: allowed to allocate
      continue;
    }
    if (before == kArmed) ++armedSteps;
    if (before == kReceiving) ++receivingSteps;
    if (before == kArmed || before == kReceiving) {
      ASSERT_EQ(gAllocations.load(), 0) << "state " << before << " -> " << after;
    }
  }
  EXPECT_EQ(packetEnds, 3);
  EXPECT_GT(armedSteps, 1000);
  EXPECT_GT(receivingSteps, 10000);
  // The counter itself works: a step that ends a packet allocates.
  EXPECT_NE(h.engine->Queue().Pop(), "");
}

INSTANTIATE_TEST_SUITE_P(Settings, SamplingLoop,
                         ::testing::Values("",
                                           "EDGE_WAIT=1\nPACKET_START_US=0\nPACKET_STOP_US=9000\n"
                                           "CODE_PERIODS=1500,3000\n"));

}  // namespace
}  // namespace vireo
