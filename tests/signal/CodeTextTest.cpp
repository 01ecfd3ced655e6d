#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "CapturedPackets.h"
#include "SignalTestSupport.h"
#include "signal/CodeText.h"

namespace vireo {
namespace {

using testing::FrameFromPicture;
using testing::FrameFromRuns;

constexpr std::int32_t kNever = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();

SignalFrame FirstWorkedExample() {
  return FrameFromRuns({{1, 10}, {-1, 10}, {1, 10}, {-1, 30}, {1, 10}});
}

TEST(CodeText, WorkedExamples) {
  const SignalFrame first = FirstWorkedExample();
  EXPECT_EQ(CodeText(first, 200, 150, false), "01");
  EXPECT_EQ(CodeText(first, 200, 150, true), "0  111|1  300|");
  const SignalFrame second = FrameFromRuns({{-1, 20}, {1, 30}, {-1, 10}, {1, 10}});
  EXPECT_EQ(CodeText(second, 200, 120, false), "?1");
  EXPECT_EQ(CodeText(second, 200, 120, true), "?  157|1 12400|");
}

// The pair (a, b) after slot 0, followed by a third run that belongs to no pair.
SignalFrame PairFrame(int a, int b) {
  return FrameFromRuns({{1, 1 + a}, {-1, b}, {1, kSlotCount - 1 - a - b}});
}

TEST(CodeText, RatioIsLongerOverShorterTimes100InDoubles) {
  struct Case {
    int a;
    int b;
    const char* debug;  // with thresholds that never decide: always "?"
  };
  for (const Case c : {Case{57, 50, "?  113|"}, Case{50, 57, "?  113|"}, Case{23, 5, "?  459|"},
                       Case{5, 23, "?  459|"}, Case{10, 9, "?  111|"}, Case{20, 20, "?  100|"},
                       Case{7, 3, "?  233|"}, Case{1200, 1, "? 120000|"}}) {
    EXPECT_EQ(CodeText(PairFrame(c.a, c.b), kNever, kLowest, true), c.debug) << c.a << "/" << c.b;
  }
}

TEST(CodeText, ThresholdsAreStrictAndTheLowerOneWinsLast) {
  struct Case {
    int a;
    int b;
    std::int32_t maxRatio;
    std::int32_t minRatio;
    const char* code;
  };
  for (const Case c :
       {Case{3, 2, 200, 150, "?"}, Case{3, 2, 150, 100, "?"}, Case{3, 2, 149, 100, "1"},
        Case{3, 2, 200, 151, "0"}, Case{3, 2, 100, 200, "0"}, Case{4, 4, 200, 101, "0"},
        Case{4, 4, 200, 100, "?"}}) {
    EXPECT_EQ(CodeText(PairFrame(c.a, c.b), c.maxRatio, c.minRatio, false), c.code)
        << c.a << "/" << c.b << " max " << c.maxRatio << " min " << c.minRatio;
  }
}

TEST(CodeText, RunsFromPictures) {
  struct Case {
    const char* picture;
    const char* debug;
  };
  for (const Case c : {
           Case{"", ""},                      // empty frame
           Case{"1..1..1", ""},               // one level only
           Case{"0000", ""},                  // one level, trailing blanks included
           Case{".111000011", "?  133|"},     // blank slot 0 starts at "1": runs 3, 4, rest
           Case{"1..1..0..0..1", "?  120|"},  // blanks lengthen the run before them: 5, 6, rest
           // The level changes at slot 1, so the first run is empty: no finite
           // ratio, "0" whatever the thresholds.
           Case{".0001111", "0 -2147483648|"},
           Case{"10000111", "0 -2147483648|"},
       }) {
    EXPECT_EQ(CodeText(FrameFromPicture(c.picture), kNever, kLowest, true), c.debug) << c.picture;
  }
  EXPECT_EQ(CodeText(FrameFromPicture("10000111"), 200, 150, false), "0");
}

// A pulse-distance packet reads as its header symbols and then its data bits,
// a long space making a "1".
TEST(CodeText, CapturedPacketsReadAsTheirBits) {
  const std::pair<const char*, const char*> headers[] = {
      {"DVB-T/MSI/DigiVox_MiniII.ir 8", "?1"},  // 5 ms idle against 9 ms mark, then 4.4 ms space
      {"Speakers/Bose/Bose_Wave_System.ir Power", "11"},
  };
  for (const auto& [source, header] : headers) {
    SCOPED_TRACE(source);
    const auto& all = testing::CapturedPackets();
    const auto it = std::find_if(all.begin(), all.end(),
                                 [&](const auto& p) { return std::string(p.source) == source; });
    ASSERT_NE(it, all.end());
    const std::vector<int>& d = it->durationsUs;
    std::string expected = header;
    // Each pair after the header is a bit's space and the next mark.
    for (std::size_t i = 3; i < d.size(); i += 2) expected += d[i] > 1000 ? '1' : '0';
    testing::Sampling sampling;
    sampling.windowMs = 100;  // slots of 77 us: the shortest runs span six or more
    const SignalFrame frame = testing::SampleCapture(d, sampling);
    EXPECT_EQ(CodeText(frame, 200, 150, false), expected);
  }
}

TEST(SlotText, MarkersThenOneCharacterPerSlot) {
  SignalFrame frame = FirstWorkedExample();
  const std::string slots = std::string(10, '1') + std::string(10, '0') + std::string(10, '1') +
                            std::string(30, '0') + std::string(10, '1') + std::string(1230, ' ');
  EXPECT_EQ(SlotText(frame), "+++1---" + slots);

  frame.accepted = 1;
  frame.shift = 3;
  EXPECT_EQ(SlotText(frame), "+++1+++___" + slots.substr(3));
  frame.overflow = 1;
  frame.shift = -3;
  const std::string backward = SlotText(frame);
  EXPECT_EQ(backward.size(), 1306u);
  EXPECT_EQ(backward, "---1+++___" + slots.substr(0, 1296));
}

TEST(SlotText, LengthsAtTheShiftLimitsAndBeyond) {
  struct Case {
    std::int32_t shift;
    std::size_t length;
    std::size_t fill;
  };
  for (const Case c :
       {Case{0, 1307, 0}, Case{324, 1307, 324}, Case{-1, 1306, 1}, Case{-325, 1306, 325},
        Case{5000, 1307, 1300}, Case{-5000, 1306, 1299}, Case{kLowest, 1306, 1299}}) {
    SignalFrame frame = FrameFromRuns({{1, kSlotCount}});
    frame.shift = c.shift;
    const std::string text = SlotText(frame);
    EXPECT_EQ(text.size(), c.length) << c.shift;
    const std::size_t bodyStart = std::min(text.find_first_not_of('_', 7), text.size());
    EXPECT_EQ(bodyStart - 7, c.fill) << c.shift;
  }
}

TEST(SlotText, SmoothsTheFrameItShows) {
  SignalFrame frame = FrameFromPicture("11011");
  EXPECT_EQ(SlotText(frame).substr(7, 6), "11111 ");
  EXPECT_EQ(testing::Picture(frame), "11111");
}

TEST(SlotChar, SignDecides) {
  for (const auto& [value, c] : {std::pair{1, '1'}, {5, '1'}, {-1, '0'}, {-7, '0'}, {0, ' '}}) {
    EXPECT_EQ(SlotChar(value), c) << value;
  }
}

}  // namespace
}  // namespace vireo
