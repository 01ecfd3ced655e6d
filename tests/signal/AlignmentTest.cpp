#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "CapturedPackets.h"
#include "ReferenceAlignment.h"
#include "SignalTestSupport.h"
#include "signal/Alignment.h"
#include "signal/FramePair.h"

namespace vireo {
namespace {

using testing::FrameFromPicture;
using testing::FrameFromRuns;
using testing::Picture;

struct ScoreCase {
  const char* name;
  int firstSlot;
  const char* first;
  const char* second;
  std::int32_t tolerance;
  std::int32_t score;
};
// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ScoreCase& c, std::ostream* os) { *os << c.name; }

class ScoreTest : public ::testing::TestWithParam<ScoreCase> {};

TEST_P(ScoreTest, CountsMismatchesAndPunishesClosedRuns) {
  const ScoreCase& c = GetParam();
  const SignalFrame a = FrameFromPicture(c.first, c.firstSlot);
  const SignalFrame b = FrameFromPicture(c.second, c.firstSlot);
  EXPECT_EQ(Score(a, b, c.tolerance), c.score);
  EXPECT_EQ(Score(b, a, c.tolerance), c.score);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, ScoreTest,
    ::testing::Values(ScoreCase{"Identical", 100, "1100", "1100", 2, 0},
                      ScoreCase{"EmptyNeverCounts", 100, "1010", "....", 2, 0},
                      ScoreCase{"TwoAdjacent", 100, "11", "00", 2, 2},
                      ScoreCase{"ThreeAdjacent", 100, "111", "000", 2, 300},
                      ScoreCase{"ThreeApart", 100, "1.1.1", "0.0.0", 2, 3},
                      ScoreCase{"EmptySlotEndsRun", 100, "111", "0.0", 2, 2},
                      ScoreCase{"AgreementEndsRun", 100, "11011", "00000", 2, 4},
                      ScoreCase{"RunOpenAtTheEnd", 1297, "111", "000", 2, 3},
                      ScoreCase{"RunClosedBySlot1299", 1296, "1111", "0001", 2, 300},
                      ScoreCase{"RunClosedByEmpty1299", 1296, "111.", "0000", 2, 300},
                      ScoreCase{"RunAndScattered", 200, "1111.1.1", "0000.0.0", 2, 600},
                      ScoreCase{"ToleranceThreeKeepsThree", 100, "111", "000", 3, 3},
                      ScoreCase{"ToleranceThreeFour", 100, "1111", "0000", 3, 400},
                      ScoreCase{"ToleranceZero", 100, "1", "0", 0, 100}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Score, AnyTwoDifferentFilledValuesMismatch) {
  SignalFrame a;
  SignalFrame b;
  a.slots[10] = 2;
  b.slots[10] = 1;
  EXPECT_EQ(Score(a, b, kRunTolerance), 1);
}

// Runs the product's search and the plain one on the same frames.
AlignmentResult Search(const SignalFrame& reference, const SignalFrame& packet) {
  const AlignmentResult fast = FindBestShift(reference, packet);
  const AlignmentResult plain = testing::ReferenceFindBestShift(reference, packet).result;
  EXPECT_EQ(fast.bestScore, plain.bestScore);
  EXPECT_EQ(fast.bestTrial, plain.bestTrial);
  return fast;
}

int ShiftOf(const AlignmentResult& r) { return r.bestTrial - kShiftOffset; }

// A full frame of +1 with -1 at the given slots.
SignalFrame PlusWithMinusAt(std::initializer_list<int> minus) {
  SignalFrame frame = FrameFromRuns({{1, kSlotCount}});
  for (int k : minus) frame.slots[k] = -1;
  return frame;
}

// A full frame of irregular runs, so that no other shift fits it.
SignalFrame IrregularFrame() {
  SignalFrame frame;
  std::uint32_t x = 12345;
  std::int32_t level = 1;
  for (int k = 0; k < kSlotCount;) {
    x = x * 1103515245u + 12345u;
    for (int n = 3 + static_cast<int>((x >> 16) % 29); n > 0 && k < kSlotCount; --n) {
      frame.slots[k++] = level;
    }
    level = -level;
  }
  return frame;
}

TEST(FindBestShift, PacketSevenSlotsLateFitsAtMinusSeven) {
  const SignalFrame reference = IrregularFrame();
  SignalFrame packet = reference;
  packet.ShiftBy(7);
  const AlignmentResult r = Search(reference, packet);
  EXPECT_EQ(r.bestScore, 0);
  EXPECT_EQ(ShiftOf(r), -7);
}

TEST(FindBestShift, PeriodicPatternTakesTheMostNegativeFit) {
  SignalFrame reference;
  for (int k = 0; k < kSlotCount; ++k) reference.slots[k] = k % 10 < 5 ? 1 : -1;
  SignalFrame packet;
  for (int k = 500; k < 600; ++k) packet.slots[k] = reference.slots[k - 3];
  // Fits wherever the shift is -3 modulo 10.
  EXPECT_EQ(ShiftOf(Search(reference, packet)), -323);
}

TEST(FindBestShift, EqualLowestScoresTakeTheMoreNegativeShift) {
  // Packet -1 at 600 and 602; the reference -1 at 400 and 800 only: shifts
  // -202, -200, 198 and 200 each leave one mismatch, all others two.
  const AlignmentResult r = Search(PlusWithMinusAt({400, 800}), FrameFromPicture("0.0", 600));
  EXPECT_EQ(r.bestScore, 1);
  EXPECT_EQ(ShiftOf(r), -202);
}

TEST(FindBestShift, RunsOpenAtTheLastSlotCostOnePointEach) {
  // Opposite full frames: a later shift leaves a mismatch run open at slot
  // 1299, 1300 - s points; earlier shifts close it with an empty slot.
  const AlignmentResult r =
      Search(FrameFromRuns({{1, kSlotCount}}), FrameFromRuns({{-1, kSlotCount}}));
  EXPECT_EQ(r.bestScore, 1300 - 324);
  EXPECT_EQ(ShiftOf(r), 324);
}

TEST(FindBestShift, NothingBelowTheStartingScoreLeavesTrialZero) {
  SignalFrame packet = FrameFromRuns({{-1, kSlotCount}});
  const AlignmentResult r = Search(PlusWithMinusAt({1299}), packet);
  EXPECT_EQ(r.bestScore, kNoMatchScore);
  EXPECT_EQ(r.bestTrial, 0);
}

TEST(FindBestShift, EmptyFramesFitAtOnce) {
  const AlignmentResult r = Search(SignalFrame{}, FrameFromPicture("1"));
  EXPECT_EQ(r.bestScore, 0);
  EXPECT_EQ(r.bestTrial, 0);
}

void Load(FramePair& pair, const SignalFrame& reference, const SignalFrame& packet,
          std::int32_t acceptLimit, std::int32_t minSlots = 0) {
  pair.reference = reference;
  pair.packet = packet;
  pair.packet.minSlots = minSlots;
  pair.acceptLimit = acceptLimit;
}

TEST(AlignAndMerge, MergesUpToTheAcceptLimitAndOnlyIntoEmptySlots) {
  // Best fit at shift -200 with one mismatch, at slot 402, and the packet
  // covering the reference's gap at 403 and 404.
  SignalFrame reference = PlusWithMinusAt({400});
  reference.slots[403] = reference.slots[404] = 0;
  const SignalFrame packet = FrameFromPicture("0.000", 600);
  for (const auto& [limit, merged] : {std::pair{0, false}, {1, true}, {2, true}}) {
    SCOPED_TRACE(limit);
    FramePair pair;
    Load(pair, reference, packet, limit);
    pair.AlignAndMerge();
    EXPECT_EQ(pair.packet.accepted, merged ? 1 : 0);
    EXPECT_EQ(pair.packet.shift, merged ? -200 : 0);
    // The reference keeps its +1 at 402 where the packet says -1.
    EXPECT_EQ(Picture(pair.reference).substr(400, 6), merged ? "011001" : "011..1");
    EXPECT_EQ(Picture(pair.packet), Picture(FrameFromPicture("0.000", merged ? 400 : 600)));
  }
}

TEST(AlignAndMerge, NoFitBelowTheStartMergesAtMinus325OnlyWithLimit1300) {
  for (const auto& [limit, merged] : {std::pair{1299, false}, {1300, true}}) {
    FramePair pair;
    Load(pair, PlusWithMinusAt({1299}), FrameFromRuns({{-1, kSlotCount}}), limit);
    pair.AlignAndMerge();
    EXPECT_EQ(pair.packet.accepted, merged ? 1 : 0);
    EXPECT_EQ(pair.packet.shift, merged ? -325 : 0);
    EXPECT_EQ(pair.packet.CountFilled(), merged ? kSlotCount - 325 : kSlotCount);
  }
}

TEST(AcceptPacket, PacketWithOnlyMinSlotsIsIgnoredUntouched) {
  FramePair pair;
  Load(pair, FrameFromPicture("1"), FrameFromPicture("101"), 1300, 3);  // Smooth would change it
  pair.AcceptPacket();
  EXPECT_EQ(pair.packet.accepted, 0);
  EXPECT_EQ(Picture(pair.packet), "101");
  EXPECT_EQ(Picture(pair.reference), "1");
}

TEST(AcceptPacket, FullerPacketReplacesTheReferenceSmoothedOnce) {
  FramePair pair;
  // ".1.1" smooths to "..1" and, a second time, to nothing.
  Load(pair, SignalFrame{}, FrameFromPicture(".1.1", 50), -1, 1);
  pair.AcceptPacket();
  EXPECT_EQ(pair.packet.accepted, 1);
  EXPECT_EQ(pair.packet.shift, 0);
  EXPECT_EQ(Picture(pair.reference), Picture(FrameFromPicture("..1", 50)));
}

TEST(AcceptPacket, EqualCountAlignsAndSmoothsTheReferenceEvenWithoutMerge) {
  FramePair pair;
  Load(pair, FrameFromPicture("1110111", 500), FrameFromPicture("0001000", 500), -1);
  pair.AcceptPacket();
  EXPECT_EQ(pair.packet.accepted, 0);
  EXPECT_EQ(Picture(pair.reference).substr(500), "1111111");
}

// A real packet and its repeat, whose window opened 2.7 ms closer to the
// burst, with two slots of damage in the header mark that smoothing cannot
// repair.
TEST(AcceptPacket, RepeatOfACapturedPacketIsMovedBackIntoPlace) {
  for (const testing::CapturedPacket& captured : testing::CapturedPackets()) {
    SCOPED_TRACE(captured.source);
    testing::Sampling first;
    first.leadIdleUs = 8000;
    testing::Sampling repeat = first;
    repeat.leadIdleUs = 8000 - 2700;
    FramePair pair;
    Load(pair, SignalFrame{}, testing::SampleCapture(captured.durationsUs, first), 2);
    pair.AcceptPacket();
    ASSERT_EQ(pair.packet.accepted, 1);
    const SignalFrame reference = pair.reference;

    SignalFrame damaged = testing::SampleCapture(captured.durationsUs, repeat);
    damaged.slots[57] = -damaged.slots[57];
    damaged.slots[58] = -damaged.slots[58];
    for (const auto& [limit, merged] : {std::pair{1, false}, {2, true}}) {
      Load(pair, reference, damaged, limit);
      pair.AcceptPacket();
      EXPECT_EQ(pair.packet.accepted, merged ? 1 : 0);
      EXPECT_EQ(pair.packet.shift, merged ? 27 : 0);
    }
  }
}

}  // namespace
}  // namespace vireo
