// Frames (sampling, smoothing, moving), code and slot texts, and the frame
// pair's hand-over to the signal view.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <limits>
#include <new>
#include <sstream>

#include "SignalTestSupport.h"
#include "signal/CodeText.h"
#include "signal/FramePair.h"
#include "signal/RawPacket.h"
#include "support/CaseFile.h"

// Counts every allocation of this program, so that a test can show that
// sampling and alignment allocate nothing.
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
using Row = test::Row;

class Mark : public ::testing::TestWithParam<Row> {};

TEST_P(Mark, WritesTheSlotOfItsTimeOrSetsOverflow) {
  const Row& r = GetParam();
  SignalFrame frame;
  frame.windowMs = std::stoi(r[1]);
  frame.startTime = std::stoll(r[3]);
  frame.Mark(false, std::stoll(r[4]), std::stoll(r[2]));
  const int slot = std::stoi(r[5]);
  EXPECT_EQ(frame.overflow, slot < 0 ? 1 : 0);
  EXPECT_EQ(frame.CountFilled(), slot < 0 ? 0 : 1);
  if (slot >= 0) {
    EXPECT_EQ(frame.slots[slot], 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Data, Mark, ::testing::ValuesIn(test::ReadTable("signal/mark.txt")),
                         VIREO_CASE_NAME);

class Smooth : public ::testing::TestWithParam<Row> {};

TEST_P(Smooth, FiltersSingleSlotsFromACopy) {
  const int first = std::stoi(GetParam()[1]);
  SignalFrame frame = FrameFromPicture(GetParam()[2], first);
  frame.Smooth();
  EXPECT_EQ(Picture(frame), Picture(FrameFromPicture(GetParam()[3], first)));
}

INSTANTIATE_TEST_SUITE_P(Data, Smooth, ::testing::ValuesIn(test::ReadTable("signal/smooth.txt")),
                         VIREO_CASE_NAME);

// "+10,-3,.2": ten slots of +1, three of -1, two empty.
SignalFrame FrameOfRuns(const std::string& text) {
  std::vector<testing::Run> runs;
  std::istringstream in(text);
  for (std::string run; std::getline(in, run, ',');) {
    runs.push_back({run[0] == '+' ? 1 : run[0] == '-' ? -1 : 0, std::stoi(run.substr(1))});
  }
  return FrameFromRuns(runs);
}

class Code : public ::testing::TestWithParam<Row> {};

TEST_P(Code, SymbolPerPairOfRuns) {
  const Row& r = GetParam();
  const SignalFrame frame = FrameOfRuns(r[1]);
  EXPECT_EQ(CodeText(frame, std::stoi(r[2]), std::stoi(r[3]), false), r[4]);
  EXPECT_EQ(CodeText(frame, std::stoi(r[2]), std::stoi(r[3]), true), r[5]);
}

INSTANTIATE_TEST_SUITE_P(Data, Code, ::testing::ValuesIn(test::ReadTable("signal/code-text.txt")),
                         VIREO_CASE_NAME);

// A packet's edges from a row's run lengths, on a clock counting microseconds.
PacketEdges EdgesOfRuns(const std::string& first, const std::string& runs) {
  PacketEdges edges;
  edges.Begin(first == "quiet", 0, 0);
  std::istringstream in(runs);
  std::int64_t at = 0;
  for (std::string run; std::getline(in, run, ',');) {
    at += std::stoll(run);
    edges.Mark(at);
  }
  edges.end = at;
  --edges.count;  // the last run ends with the packet, not at a change
  return edges;
}

// A packet with more changes than are kept says so; its last run ends
// with the packet.
TEST(RawPacket, ACutPacketIsMarked) {
  PacketEdges edges;
  edges.Begin(false, 0, 0);
  for (int k = 1; k <= PacketEdges::kMaxEdges + 1; ++k) edges.Mark(1000 * k);
  edges.end = 1000 * PacketEdges::kMaxEdges + 250;
  RawPacket raw;
  raw.From(edges, 1'000'000);
  EXPECT_TRUE(raw.cut);
  ASSERT_EQ(raw.count, RawPacket::kMaxRuns);
  EXPECT_EQ(raw.us[RawPacket::kMaxRuns - 1], 250);
  raw.From(edges, 0);
  EXPECT_EQ(raw.count, 0);
}

PeriodForm FormOf(const std::string& bounds, const std::string& longBurst) {
  PeriodForm form;
  std::istringstream in(bounds);
  for (std::string b; std::getline(in, b, ',');) form.boundsUs[form.boundCount++] = std::stoi(b);
  form.longBurstUs = std::stoi(longBurst);
  return form;
}

class PeriodCode : public ::testing::TestWithParam<Row> {};

TEST_P(PeriodCode, LetterPerPairByItsPeriodAndBurst) {
  const Row& r = GetParam();
  const PacketEdges edges = EdgesOfRuns(r[1], r[2]);
  const PeriodForm form = FormOf(r[3], r[4]);
  EXPECT_EQ(PeriodCodeText(edges, 1'000'000, 40, form, false), r[5]);
  EXPECT_EQ(PeriodCodeText(edges, 1'000'000, 40, form, true), r[6]);
}

INSTANTIATE_TEST_SUITE_P(Data, PeriodCode,
                         ::testing::ValuesIn(test::ReadTable("signal/period-code.txt")),
                         VIREO_CASE_NAME);

// The letters under their pairs' slots, and the reading that the pair keeps:
// the latest packet as full of edges as any before it in the burst.
TEST(FramePair, PeriodCodeReadsTheLatestFullPacketAndMarksItsSlots) {
  testing::RecordingView view;
  testing::ManualClock clock(1'000'000);
  FramePair pair;
  pair.SetClock(&clock);
  pair.periodForm = FormOf("1500", "0");
  auto packet = [&pair, &clock](const std::string& runs) {
    std::int64_t now = 0;
    clock.Set(now);
    pair.ResetPacket(130, 0, false);
    std::istringstream in(runs);
    for (std::string run; std::getline(in, run, ',');) {
      pair.MarkSample(false);
      clock.Set(now += std::stoll(run));
      pair.MarkEdge(now);
    }
    pair.MarkSample(true);
    pair.AcceptPacket();
  };
  pair.ResetAll(50, 130, 0);
  packet("600,600,600,1200,600,5000");
  EXPECT_EQ(pair.RenderCode(0, 0), "abb");
  packet("600,1200,600,5000");  // fewer edges: the repeat mark of a held button
  EXPECT_EQ(pair.RenderCode(0, 0), "abb");
  packet("600,1200,600,1200,600,5000");
  pair.SetSignalView(&view);
  EXPECT_EQ(pair.RenderCode(0, 0), "bbb");
  // Slots of 100 us: pairs begin at 0, 1.8 and 3.6 ms.
  EXPECT_EQ(view.marks.find_first_not_of(' '), 0u);
  EXPECT_EQ(view.marks.substr(18, 1) + view.marks.substr(36, 1), "bb");
  EXPECT_EQ(view.marks.size(), 1300u);
  // A frame of 1 ms has room for the first pair's letter only.
  packet("600,1200,600,1200,600,5000");
  pair.packet.windowMs = 1;
  pair.RenderCode(0, 0);
  EXPECT_EQ(view.marks[0], 'b');
  EXPECT_EQ(view.marks.find_first_not_of(' ', 1), std::string::npos);

  // Edges without a clock to time them, or without a frame to lay them in:
  // no code, no letters, and nothing divided by 0.
  FramePair bare;
  bare.periodForm = pair.periodForm;
  bare.SetSignalView(&view);
  bare.referenceEdges = pair.referenceEdges;
  bare.packet.windowMs = 130;
  EXPECT_EQ(bare.RenderCode(0, 0), "");
  EXPECT_EQ(view.marks, std::string(1300, ' '));
  bare.SetClock(&clock);
  bare.packet.windowMs = 0;
  EXPECT_EQ(bare.RenderCode(0, 0), "bbb");
  EXPECT_EQ(view.marks, std::string(1300, ' '));
}

// A pulse-distance packet reads as its header symbols, then its bits.
TEST(CodeText, CapturedPacketsReadAsTheirBits) {
  for (const auto& [index, header] : {std::pair{1, "?1"}, {2, "11"}}) {
    const std::vector<int>& d = test::CapturedPackets()[index].durationsUs;
    std::string expected = header;
    for (std::size_t i = 3; i < d.size(); i += 2) expected += d[i] > 1000 ? '1' : '0';
    testing::Sampling sampling;
    sampling.windowMs = 100;  // slots of 77 us: the shortest runs span six or more
    EXPECT_EQ(CodeText(testing::SampleCapture(d, sampling), 200, 150, false), expected);
  }
}

TEST(SignalFrame, ShiftCopyClearAndValidity) {
  for (const int s : {0, 3, -3, 1299, -1299, 1300, -1300, std::numeric_limits<int>::min()}) {
    SignalFrame frame;
    for (int k = 0; k < kSlotCount; ++k) frame.slots[k] = k + 1;  // every slot tells its origin
    frame.shift = 9;
    frame.accepted = 1;
    frame.ShiftBy(s);
    EXPECT_EQ(frame.shift + frame.accepted, 10);
    const int first = std::max(s, 0), last = std::min(kSlotCount - 1, kSlotCount - 1 + s);
    EXPECT_EQ(frame.CountFilled(), std::max(0, last - first + 1)) << s;
    if (first > last) continue;
    EXPECT_EQ(frame.slots[first], first - s + 1) << s;
    EXPECT_EQ(frame.slots[last], last - s + 1) << s;
  }
  SignalFrame source = FrameFromPicture("1 0 1", 100);
  for (const auto& [minSlots, valid] : {std::pair{2, true}, {3, false}, {-1, true}}) {
    source.minSlots = minSlots;
    EXPECT_EQ(source.IsValid(), valid) << minSlots;
  }
  source.slots[5] = 7;  // anything but 0 counts as filled
  source.accepted = source.overflow = 1;
  source.shift = -4;
  source.startTime = 77;
  source.windowMs = 130;
  SignalFrame target;
  target.CopySlotsFrom(source);
  SignalFrame slotsOnly;
  slotsOnly.slots = source.slots;
  EXPECT_EQ(testing::FrameDifference(target, slotsOnly), "");
  source.Clear();
  SignalFrame settingsOnly;
  settingsOnly.startTime = 77;
  settingsOnly.windowMs = 130;
  settingsOnly.minSlots = -1;
  EXPECT_EQ(testing::FrameDifference(source, settingsOnly), "");
}

TEST(SlotText, TagsThenOneCharacterPerSlotAfterTheShift) {
  SignalFrame frame = FrameOfRuns("+10,-10,+10,-30,+10");
  const std::string slots = std::string(10, '1') + std::string(10, '0') + std::string(10, '1') +
                            std::string(30, '0') + std::string(10, '1') + std::string(1230, ' ');
  EXPECT_EQ(SlotText(frame), "+++1---" + slots);
  frame.accepted = 1;
  frame.shift = 3;
  EXPECT_EQ(SlotText(frame), "+++1+++___" + slots.substr(3));
  frame.overflow = 1;
  frame.shift = -3;
  EXPECT_EQ(SlotText(frame), "---1+++___" + slots.substr(0, 1296));
  for (const auto& [shift, fill] : {std::pair{324, 324},
                                    {-325, 325},
                                    {5000, 1300},
                                    {-5000, 1299},
                                    {std::numeric_limits<int>::min(), 1299}}) {
    frame.shift = shift;
    const std::string text = SlotText(frame);
    EXPECT_EQ(text.size(), shift < 0 ? 1306u : 1307u) << shift;
    EXPECT_EQ(std::min(text.find_first_not_of('_', 7), text.size()) - 7, std::size_t(fill))
        << shift;
  }
  EXPECT_EQ(std::string() + SlotChar(5) + SlotChar(-7) + SlotChar(0), "10 ");
}

TEST(FramePair, ResetsMarkSamplesAndAllocatesNothingWhileSampling) {
  testing::ManualClock clock(10'000'000);
  FramePair pair;
  pair.SetClock(&clock);
  pair.reference = FrameFromPicture("101");
  pair.packet = FrameFromPicture("11");
  clock.Set(4242);
  pair.ResetAll(17, 130, 40);
  EXPECT_EQ(pair.acceptLimit, 17);
  EXPECT_EQ(Picture(pair.reference), "");
  SignalFrame expected;
  expected.startTime = 4242;
  expected.windowMs = 130;
  expected.minSlots = 40;
  EXPECT_EQ(testing::FrameDifference(pair.packet, expected), "");
  pair.reference = FrameFromRuns({{1, 700}, {-1, 600}});
  pair.acceptLimit = kSlotCount;
  pair.ResetPacket(130, 0);
  const long before = allocations.load();
  for (std::int64_t t = 4242; t < 1'404'242; t += 100) {  // 10 us samples past the window
    clock.Set(t);
    pair.MarkSample(t % 50'000 < 20'000);
  }
  pair.AcceptPacket();  // fewer slots than the reference: aligned and merged
  EXPECT_EQ(allocations.load() - before, 0);
  EXPECT_EQ(pair.packet.accepted, 1);
  EXPECT_EQ(pair.packet.overflow, 1);
  EXPECT_EQ(pair.packet.startTime, 4242);
  EXPECT_EQ(pair.reference.slots[0], 1);  // kept by ResetPacket, so merged into
}

TEST(FramePair, RenderCodeHandsBothSlotTextsToTheViewAndReadsTheSmoothedReference) {
  testing::RecordingView view;
  FramePair pair;
  // The first worked example with a one-slot glitch in its run of 30.
  pair.reference = FrameOfRuns("+10,-10,+10,-15,+1,-14,+10");
  pair.packet = FrameFromPicture("1101");
  pair.packet.accepted = 1;
  pair.packet.shift = -3;
  EXPECT_EQ(pair.RenderCode(200, 150), "0?1");  // no view: read as it is
  pair.debugMode = true;
  EXPECT_EQ(pair.RenderCode(200, 150), "0  111|?  150|1 1400|");
  pair.debugMode = false;
  pair.SetSignalView(&view);
  EXPECT_EQ(pair.RenderCode(200, 150), "01");
  EXPECT_EQ(view.calls, "add:1306;ref:1307;");
  EXPECT_EQ(view.traceRows[0].substr(0, 12), "+++1+++___11");
  EXPECT_EQ(Picture(pair.packet), "1111");
  SignalFrame smoothed = FrameOfRuns("+10,-10,+10,-30,+10");
  EXPECT_EQ(view.referenceRow, SlotText(smoothed));
  pair.debugMode = true;
  EXPECT_EQ(pair.RenderCode(200, 150), "0  111|1  300|");
  EXPECT_EQ(view.calls, "add:1306;ref:1307;add:1306;ref:1307;");
  pair.SetSignalView(nullptr);
  pair.RenderCode(200, 150);
  EXPECT_EQ(view.traceRows.size(), 2u);
}

}  // namespace
}  // namespace vireo
