#include <gtest/gtest.h>

#include "ReferenceAlignment.h"
#include "SignalTestSupport.h"
#include "signal/Alignment.h"
#include "signal/FramePair.h"
#include "support/CaseFile.h"

namespace vireo {
namespace {

using testing::FrameFromPicture;
using testing::FrameFromRuns;
using testing::Picture;

class ScoreTable : public ::testing::TestWithParam<test::Row> {};

TEST_P(ScoreTable, CountsMismatchesAndPunishesClosedRuns) {
  const test::Row& r = GetParam();
  const SignalFrame a = FrameFromPicture(r[3], std::stoi(r[2]));
  const SignalFrame b = FrameFromPicture(r[4], std::stoi(r[2]));
  EXPECT_EQ(Score(a, b, std::stoi(r[1])), std::stoi(r[5]));
  EXPECT_EQ(Score(b, a, std::stoi(r[1])), std::stoi(r[5]));
}

INSTANTIATE_TEST_SUITE_P(Data, ScoreTable, ::testing::ValuesIn(test::ReadTable("signal/score.txt")),
                         VIREO_CASE_NAME);

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
  for (int k = 0, level = 1; k < kSlotCount; level = -level) {
    x = x * 1103515245u + 12345u;
    for (int n = 3 + static_cast<int>((x >> 16) % 29); n > 0 && k < kSlotCount; --n) {
      frame.slots[k++] = level;
    }
  }
  return frame;
}

SignalFrame Moved(SignalFrame frame, int shift) {
  frame.ShiftBy(shift);
  return frame;
}

SignalFrame Periodic(int from, int to, int phase) {
  SignalFrame frame;
  for (int k = from; k <= to; ++k) frame.slots[k] = (k + phase) % 10 < 5 ? 1 : -1;
  return frame;
}

// The product's search and the plain one agree on the best fit, and that
// fit is the one the rules give: the lowest score, the most negative shift
// among equals, nothing below the starting score leaving trial 0.
TEST(FindBestShift, BestScoreAndShift) {
  struct {
    const char* name;
    SignalFrame reference, packet;
    std::int32_t score;
    int trial;
  } const cases[] = {
      {"late by 7", IrregularFrame(), Moved(IrregularFrame(), 7), 0, kShiftOffset - 7},
      // Fits wherever the shift is -3 modulo 10: the most negative one.
      {"periodic", Periodic(0, kSlotCount - 1, 0), Periodic(500, 599, -3), 0, kShiftOffset - 323},
      // Shifts -202, -200, 198 and 200 each leave one mismatch.
      {"ties", PlusWithMinusAt({400, 800}), FrameFromPicture("0.0", 600), 1, kShiftOffset - 202},
      // A later shift leaves a mismatch run open at slot 1299: 1300 - s points.
      {"open run", FrameFromRuns({{1, kSlotCount}}), FrameFromRuns({{-1, kSlotCount}}), 976,
       kShiftOffset + 324},
      {"no fit", PlusWithMinusAt({1299}), FrameFromRuns({{-1, kSlotCount}}), kNoMatchScore, 0},
      {"empty", SignalFrame{}, FrameFromPicture("1"), 0, 0},
  };
  for (const auto& c : cases) {
    const AlignmentResult fast = FindBestShift(c.reference, c.packet);
    const AlignmentResult plain = testing::ReferenceFindBestShift(c.reference, c.packet).result;
    EXPECT_EQ(fast.bestScore, c.score) << c.name;
    EXPECT_EQ(fast.bestTrial, c.trial) << c.name;
    EXPECT_EQ(plain.bestScore, c.score) << c.name;
    EXPECT_EQ(plain.bestTrial, c.trial) << c.name;
  }
}

void Load(FramePair& pair, const SignalFrame& reference, const SignalFrame& packet,
          std::int32_t acceptLimit, std::int32_t minSlots = 0) {
  pair.reference = reference;
  pair.packet = packet;
  pair.packet.minSlots = minSlots;
  pair.acceptLimit = acceptLimit;
}

TEST(AlignAndMerge, MergesUpToTheAcceptLimitAndOnlyIntoEmptySlots) {
  // Best fit at shift -200 with one mismatch, at slot 402; the packet covers
  // the reference's gap at 403 and 404.
  SignalFrame reference = PlusWithMinusAt({400});
  reference.slots[403] = reference.slots[404] = 0;
  for (const auto& [limit, merged] : {std::pair{0, false}, {1, true}}) {
    FramePair pair;
    Load(pair, reference, FrameFromPicture("0.000", 600), limit);
    pair.AlignAndMerge();
    EXPECT_EQ(pair.packet.accepted, merged ? 1 : 0);
    EXPECT_EQ(pair.packet.shift, merged ? -200 : 0);
    EXPECT_EQ(Picture(pair.reference).substr(400, 6), merged ? "011001" : "011..1");
    EXPECT_EQ(Picture(pair.packet), Picture(FrameFromPicture("0.000", merged ? 400 : 600)));
  }
  // No fit below the starting score: merged at -325 only with the limit 1300.
  for (const auto& [limit, merged] : {std::pair{1299, false}, {1300, true}}) {
    FramePair pair;
    Load(pair, PlusWithMinusAt({1299}), FrameFromRuns({{-1, kSlotCount}}), limit);
    pair.AlignAndMerge();
    EXPECT_EQ(pair.packet.shift, merged ? -325 : 0);
    EXPECT_EQ(pair.packet.CountFilled(), merged ? kSlotCount - 325 : kSlotCount);
  }
}

TEST(AcceptPacket, IgnoresCopiesOrAlignsAndSmoothsTheReference) {
  FramePair pair;
  Load(pair, FrameFromPicture("1"), FrameFromPicture("101"), 1300, 3);  // Smooth would change it
  pair.AcceptPacket();
  EXPECT_EQ(pair.packet.accepted, 0);
  EXPECT_EQ(Picture(pair.packet) + "/" + Picture(pair.reference), "101/1");

  // ".1.1" smooths to "..1" and, a second time, to nothing.
  Load(pair, SignalFrame{}, FrameFromPicture(".1.1", 50), -1, 1);
  pair.AcceptPacket();
  EXPECT_EQ(pair.packet.accepted, 1);
  EXPECT_EQ(pair.packet.shift, 0);
  EXPECT_EQ(Picture(pair.reference), Picture(FrameFromPicture("..1", 50)));

  // An equal count is aligned, and the reference smoothed even without a merge.
  Load(pair, FrameFromPicture("1110111", 500), FrameFromPicture("0001000", 500), -1);
  pair.AcceptPacket();
  EXPECT_EQ(pair.packet.accepted, 0);
  EXPECT_EQ(Picture(pair.reference).substr(500), "1111111");
}

// A real packet and its repeat, whose window opened 2.7 ms closer to the
// burst, with two slots of damage in the header that smoothing cannot repair.
TEST(AcceptPacket, RepeatOfACapturedPacketIsMovedBackIntoPlace) {
  for (const test::Captured& captured : test::CapturedPackets()) {
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
      EXPECT_EQ(pair.packet.shift, merged ? 27 : 0);
    }
  }
}

}  // namespace
}  // namespace vireo
