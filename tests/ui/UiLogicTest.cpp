// The user interface's portable logic: the signal view's drawing plan, its
// row ring and the hand-over from the worker, the scroll bar, caption mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <sstream>
#include <thread>

#include "support/CaseFile.h"
#include "ui/CaptionMode.h"
#include "ui/RawPacketHandOver.h"
#include "ui/RowHandOver.h"
#include "ui/ScrollRequest.h"
#include "ui/SignalPixels.h"
#include "ui/SignalViewPlan.h"

namespace vireo {
namespace {

using Row = test::Row;

std::string Field(const std::string& text) { return text == "-" ? "" : text; }

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& p : parts) out += (out.empty() ? "" : ",") + p;
  return out;
}

class ViewPlan : public ::testing::TestWithParam<Row> {};

TEST_P(ViewPlan, PutsTicksAndLabelsOverTheirSlots) {
  const Row& r = GetParam();
  const ViewWindow w{std::stoi(r[1]), std::stoi(r[2])};
  std::vector<std::string> ticks, labels;
  ForEachTick(w, [&](std::int32_t x) { ticks.push_back(std::to_string(x)); });
  ForEachLabel(w, [&](std::int32_t x, const std::string& text) {
    labels.push_back(std::to_string(x) + ":" + text);
  });
  EXPECT_EQ(Join(ticks), Field(r[3]));
  EXPECT_EQ(Join(labels), Field(r[4]));
}

INSTANTIATE_TEST_SUITE_P(Data, ViewPlan, ::testing::ValuesIn(test::ReadTable("ui/view-plan.txt")),
                         VIREO_CASE_NAME);

class ViewRuns : public ::testing::TestWithParam<Row> {};

TEST_P(ViewRuns, DrawsEachTextPositionWithItsPen) {
  const Row& r = GetParam();
  std::string row = r[3];
  for (char& c : row) c = c == '.' ? ' ' : c;
  static const char* const kNames[] = {"black", "white", "red", "green", "blue", "magenta"};
  std::vector<std::string> runs;
  ForEachRun({std::stoi(r[1]), std::stoi(r[2])}, row,
             [&](std::int32_t x, std::int32_t columns, Pen pen) {
               runs.push_back(std::to_string(x) + ":" + std::to_string(columns) + ":" +
                              kNames[static_cast<int>(pen)]);
             });
  EXPECT_EQ(Join(runs), Field(r[4]));
}

INSTANTIATE_TEST_SUITE_P(Data, ViewRuns, ::testing::ValuesIn(test::ReadTable("ui/view-runs.txt")),
                         VIREO_CASE_NAME);

class ViewPixels : public ::testing::TestWithParam<Row> {};

TEST_P(ViewPixels, PaintEachPixelInItsColourAndNoneOutsideTheImage) {
  const Row& r = GetParam();
  const std::int32_t width = std::stoi(r[3]), height = std::stoi(r[4]), y = std::stoi(r[6]);
  SignalRows rows;
  rows.SetReferenceRow(r[5]);
  for (int k = 1; k < SignalRows::kTraceRowCount; ++k) rows.AddTraceRow(r[5]);
  constexpr std::uint32_t kGuard = 0x12345678;
  std::vector<std::uint32_t> pixels(width * (height + 1), kGuard);
  DrawSignalPixels({pixels.data(), width, height}, {std::stoi(r[1]), std::stoi(r[2])}, rows,
                   0xf0f0f0);
  const std::map<std::uint32_t, char> names = {{0x000000, 'k'}, {0xffffff, 'w'}, {0xff0000, 'r'},
                                               {0x00ff00, 'g'}, {0x0000ff, 'b'}, {0xff00ff, 'm'},
                                               {0xf0f0f0, '.'}};
  std::string line;
  for (std::int32_t x = 0; x < width; ++x) line += names.at(pixels[y * width + x]);
  EXPECT_EQ(line, r[7]);
  EXPECT_EQ(std::count(pixels.begin() + width * height, pixels.end(), kGuard), width);
}

INSTANTIATE_TEST_SUITE_P(Data, ViewPixels,
                         ::testing::ValuesIn(test::ReadTable("ui/view-pixels.txt")),
                         VIREO_CASE_NAME);

TEST(ViewPlan, CodeLettersSitCentredUnderTheirSlotsInView) {
  std::string marks(1300, ' ');
  marks[36] = 'a';   // before the view
  marks[50] = 'B';   // x = 50 - 37 + 7, less half a character
  marks[136] = 'c';  // the last slot in view
  marks[137] = 'd';  // past it
  std::string seen;
  ForEachMark({37, 100}, marks,
              [&](std::int32_t x, char letter) { seen += std::to_string(x) + letter + " "; });
  EXPECT_EQ(seen, "18B 104c ");
}

TEST(ViewRows, RowZeroOnTopThenAGapThenThreePixelRows) {
  EXPECT_EQ(RowTop(0), 0);
  EXPECT_EQ(RowTop(1), 8);
  EXPECT_EQ(RowTop(19), 62);
  EXPECT_LE(RowTop(19) + view::kRowHeight, view::kBandTop);
}

TEST(ViewRows, PacketsFillRowsOneToNineteenThenOverwriteRowOne) {
  SignalRows rows;
  rows.SetReferenceRow("ref");
  for (int k = 1; k <= 20; ++k) rows.AddTraceRow("p" + std::to_string(k));
  EXPECT_EQ(rows.Row(0), "ref");
  EXPECT_EQ(rows.Row(1), "p20");
  EXPECT_EQ(rows.Row(2), "p2");
  EXPECT_EQ(rows.Row(19), "p19");
  EXPECT_EQ(rows.NextRow(), 2);
}

// A view that records what reached it, and fails the test if anything does
// after it has been detached (as if it were destroyed).
class FakeView : public RepaintTarget {
 public:
  void RequestRepaint() override {
    EXPECT_FALSE(gone.load()) << "the worker reached a detached view";
    ++repaints;
  }
  std::atomic<bool> gone{false};
  std::atomic<int> repaints{0};
};

TEST(RowHandOver, RowsReachOnlyAnAttachedViewAndAttachingStartsAfresh) {
  RowHandOver handOver;
  FakeView view;
  handOver.AddTraceRow("dropped");
  handOver.Attach(&view);
  handOver.AddTraceRow("+++1+++1");
  handOver.SetReferenceRow("+++1+++0");
  handOver.SetCodeMarks("a  b");
  SignalRows copy;
  handOver.CopyRows(copy);
  EXPECT_EQ(copy.Row(1), "+++1+++1");
  EXPECT_EQ(copy.Row(0), "+++1+++0");
  EXPECT_EQ(copy.Row(2), "");
  EXPECT_EQ(copy.CodeMarks(), "a  b");
  EXPECT_EQ(view.repaints.load(), 3);

  handOver.Detach();
  view.gone = true;
  handOver.AddTraceRow("late");
  handOver.SetCodeMarks("late");
  handOver.CopyRows(copy);
  EXPECT_EQ(copy.Row(1), "");
  EXPECT_EQ(copy.CodeMarks(), "");

  FakeView next;
  handOver.Attach(&next);
  handOver.CopyRows(copy);
  EXPECT_EQ(copy.Row(0), "");
  EXPECT_EQ(copy.NextRow(), 1);
}

// A worker handing rows over without pause while the user-interface side
// opens and closes views and paints: no view is reached after its detach,
// and no paint sees a torn row (ThreadSanitizer checks the rest).
TEST(RowHandOver, DetachIsSafeAgainstAWorkerInsideAHandOver) {
  RowHandOver handOver;
  std::atomic<bool> stop{false};
  const std::string a(1307, '1'), b(1307, '0');
  std::thread worker([&] {
    for (int k = 0; !stop; ++k) {
      handOver.AddTraceRow(k % 2 ? a : b);
      handOver.SetReferenceRow(k % 2 ? b : a);
    }
  });
  SignalRows copy;
  for (int round = 0; round < 300; ++round) {
    FakeView view;
    handOver.Attach(&view);
    for (int paint = 0; paint < 5; ++paint) {
      handOver.CopyRows(copy);
      for (int k = 0; k < SignalRows::kTraceRowCount; ++k) {
        const std::string& row = copy.Row(k);
        ASSERT_TRUE(row.empty() || row == a || row == b) << "torn row " << k;
      }
    }
    handOver.Detach();
    view.gone = true;
  }
  stop = true;
  worker.join();
}

// A full store loses the newest packets and says how many; only an
// attached recorder gets any.
TEST(RawPacketHandOver, KeepsUnreadPacketsAndCountsTheLostOnes) {
  RawPacketHandOver handOver;
  FakeView recorder;
  RawPacket packet;
  handOver.AddRawPacket(packet);
  handOver.Attach(&recorder);
  for (packet.count = 0; packet.count < 19; ++packet.count) handOver.AddRawPacket(packet);
  std::vector<RawPacket> taken;
  EXPECT_EQ(handOver.Take(taken), 19 - static_cast<int>(RawPacketHandOver::kHeld));
  ASSERT_EQ(taken.size(), RawPacketHandOver::kHeld);
  EXPECT_EQ(taken.back().count, static_cast<int>(RawPacketHandOver::kHeld) - 1);
  EXPECT_EQ(handOver.Take(taken), 0);
  EXPECT_EQ(taken.size(), RawPacketHandOver::kHeld);
  handOver.Detach();
  handOver.AddRawPacket(packet);
  EXPECT_EQ(handOver.Take(taken), 0);
  EXPECT_EQ(taken.size(), RawPacketHandOver::kHeld);
}

class Scroll : public ::testing::TestWithParam<Row> {};

TEST_P(Scroll, MovesByTheRequestWithinTheRange) {
  const Row& r = GetParam();
  const ScrollBarState bar{std::stoi(r[3]), std::stoi(r[4]), std::stoi(r[5]), std::stoi(r[2])};
  EXPECT_EQ(NewScrollPosition(bar, std::stoi(r[1]), std::stoi(r[6])), std::stoi(r[7]));
}

INSTANTIATE_TEST_SUITE_P(Data, Scroll, ::testing::ValuesIn(test::ReadTable("ui/scroll.txt")),
                         VIREO_CASE_NAME);

class RecordingWindow : public CaptionWindow {
 public:
  void SetText(const std::string& text) override { Add("text:" + (text == " " ? "." : text)); }
  void SetTitleBar(bool present) override { Add(present ? "title:1" : "title:0"); }
  WindowRect NormalRect() override { return {100, 200, 400, 300}; }
  void Place(bool topmost, const WindowRect& r) override {
    std::ostringstream s;
    s << "place:" << (topmost ? "topmost:" : "bottom:") << r.left << "," << r.top << "," << r.right
      << "," << r.bottom;
    Add(s.str());
  }
  std::string calls;

 private:
  void Add(const std::string& call) { calls += (calls.empty() ? "" : ";") + call; }
};

class Caption : public ::testing::TestWithParam<Row> {};

TEST_P(Caption, SwitchesTheWindowOnceEachWay) {
  const Row& r = GetParam();
  RecordingWindow window;
  CaptionMode mode(window);
  std::stringstream calls(r[1]);
  for (std::string call; std::getline(calls, call, ',');) {
    call == "show" ? mode.Show() : mode.Hide();
  }
  EXPECT_EQ(mode.Shown(), r[2] == "1");
  EXPECT_EQ(window.calls, Field(r[3]));
}

INSTANTIATE_TEST_SUITE_P(Data, Caption, ::testing::ValuesIn(test::ReadTable("ui/caption.txt")),
                         VIREO_CASE_NAME);

}  // namespace
}  // namespace vireo
