#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "SignalTestSupport.h"
#include "signal/FramePair.h"

// Counts every allocation of this test program, so that a test can show that
// the sampling and alignment allocate nothing.
namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace vireo {
namespace {

using testing::FrameFromPicture;
using testing::FrameFromRuns;
using testing::Picture;

TEST(FramePair, ResetAllEmptiesBothFramesAndResetPacketOnlyThePacket) {
  testing::ManualClock clock(1000);
  FramePair pair;
  pair.SetClock(&clock);
  pair.reference = FrameFromPicture("101");
  pair.packet = FrameFromPicture("11");
  pair.packet.accepted = pair.packet.overflow = 1;
  pair.packet.shift = 5;
  clock.Set(4242);
  pair.ResetAll(17, 130, 40);
  EXPECT_EQ(pair.acceptLimit, 17);
  EXPECT_EQ(Picture(pair.reference), "");
  SignalFrame expected;
  expected.startTime = 4242;
  expected.windowMs = 130;
  expected.minSlots = 40;
  EXPECT_EQ(testing::FrameDifference(pair.packet, expected), "");

  pair.reference = FrameFromPicture("101");
  pair.packet.slots[3] = 1;
  clock.Set(5000);
  pair.ResetPacket(150, 2);
  EXPECT_EQ(Picture(pair.reference), "101");
  expected.startTime = 5000;
  expected.windowMs = 150;
  expected.minSlots = 2;
  EXPECT_EQ(testing::FrameDifference(pair.packet, expected), "");
}

TEST(FramePair, MarkSampleReadsTheClockAndItsRate) {
  testing::ManualClock clock(1000);  // millisecond ticks
  FramePair pair;
  pair.SetClock(&clock);
  clock.Set(100);
  pair.ResetAll(0, 130, 0);
  clock.Set(105);
  pair.MarkSample(true);  // 5 ms into a 130 ms window: slot 50
  clock.Set(230);
  pair.MarkSample(false);  // the window has ended
  EXPECT_EQ(pair.packet.slots[50], -1);
  EXPECT_EQ(pair.packet.CountFilled(), 1);
  EXPECT_EQ(pair.packet.overflow, 1);
}

TEST(FramePair, SamplingAndAlignmentAllocateNothing) {
  testing::ManualClock clock(10'000'000);
  FramePair pair;
  pair.SetClock(&clock);
  pair.ResetAll(1300, 130, 0);
  pair.reference = FrameFromRuns({{1, 700}, {-1, 600}});
  const long before = allocations.load();
  for (std::int64_t t = 0; t < 1'400'000; t += 100) {  // 10 us samples past the window's end
    clock.Set(t);
    pair.MarkSample(t % 50'000 < 20'000);
  }
  pair.AcceptPacket();  // fewer slots than the reference: aligned and merged
  EXPECT_EQ(allocations.load() - before, 0);
  EXPECT_EQ(pair.packet.accepted, 1);
  EXPECT_EQ(pair.packet.overflow, 1);
}

// The first worked example with a one-slot glitch in its run of 30: read
// as it is, the glitch adds pairs; smoothed, the code is "01".
SignalFrame GlitchedReference() {
  SignalFrame frame = FrameFromRuns({{1, 10}, {-1, 10}, {1, 10}, {-1, 30}, {1, 10}});
  frame.slots[45] = 1;
  return frame;
}

TEST(FramePair, RenderCodeWithoutViewReadsTheReferenceAsItIs) {
  FramePair pair;
  pair.reference = GlitchedReference();
  EXPECT_EQ(pair.RenderCode(200, 150), "0?1");
  pair.debugMode = true;
  EXPECT_EQ(pair.RenderCode(200, 150), "0  111|?  150|1 1400|");
}

TEST(FramePair, RenderCodeHandsBothSlotTextsToTheViewAndReadsTheSmoothedReference) {
  testing::RecordingView view;
  FramePair pair;
  pair.SetSignalView(&view);
  pair.reference = GlitchedReference();
  pair.packet = FrameFromPicture("1101");
  pair.packet.accepted = 1;
  pair.packet.shift = -3;
  EXPECT_EQ(pair.RenderCode(200, 150), "01");
  EXPECT_EQ(view.calls, "add:1306;ref:1307;");
  EXPECT_EQ(view.traceRows[0].substr(0, 12), "+++1+++___11");
  EXPECT_EQ(Picture(pair.packet), "1111");
  EXPECT_EQ(view.referenceRow, "+++1---" + std::string(10, '1') + std::string(10, '0') +
                                   std::string(10, '1') + std::string(30, '0') +
                                   std::string(10, '1') + std::string(1230, ' '));

  pair.debugMode = true;
  EXPECT_EQ(pair.RenderCode(200, 150), "0  111|1  300|");
  EXPECT_EQ(view.calls, "add:1306;ref:1307;add:1306;ref:1307;");

  pair.SetSignalView(nullptr);
  pair.RenderCode(200, 150);
  EXPECT_EQ(view.traceRows.size(), 2u);
}

}  // namespace
}  // namespace vireo
