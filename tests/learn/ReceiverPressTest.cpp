#include <gtest/gtest.h>

#include <sstream>

#include "learn/ButtonSignals.h"
#include "learn/ReceiverPress.h"
#include "support/CaseFile.h"
#include "support/TempDir.h"

namespace vireo::learn {
namespace {

using test::Row;

std::vector<Durations> Captures(const std::string& text, char separator) {
  std::vector<Durations> captures;
  std::istringstream in(text);
  for (std::string capture; std::getline(in, capture, separator);) {
    captures.emplace_back();
    std::istringstream runs(capture);
    for (std::string us; std::getline(runs, us, ',');) captures.back().push_back(std::stoll(us));
  }
  return captures;
}

class Checks : public ::testing::TestWithParam<Row> {};

TEST_P(Checks, TellWhenToPressAgain) {
  const Row& r = GetParam();
  const auto press = Captures(r[1], ';');
  std::vector<ButtonSignal> learned;
  for (const Durations& capture : Captures(r[4], '|')) learned.push_back({"b", {capture}});
  const PressVerdict v =
      CheckPress(press.empty() ? Durations{} : press[0], r[2] == "1", Captures(r[3], ';'), learned);
  const char* names[] = {"agrees", "empty", "cut", "differs", "taken"};
  std::string verdict = names[static_cast<int>(v.check)];
  if (v.takenBy >= 0) verdict += std::to_string(v.takenBy);
  EXPECT_EQ(verdict, r[5]);
}

INSTANTIATE_TEST_SUITE_P(Data, Checks,
                         ::testing::ValuesIn(test::ReadTable("learn/press-checks.txt")),
                         VIREO_CASE_NAME);

// Packets as the worker hands them over become one capture: the quiet
// before and after is dropped, the gap between packets is a pause; the
// recording reads back from a Flipper file, and the agreeing presses counted.
TEST(ReceiverPress, PacketsMakeACaptureThatAFlipperFileKeeps) {
  RawPacket first, second;
  first.firstOn = true;
  first.count = 5;
  first.us = {300, 9000, 4500, 560, 30000};
  second.beginUs = 50'000;
  second.count = 2;
  second.us = {560, 8000};
  const Durations capture = PressCapture({first, second});
  EXPECT_EQ(capture, (Durations{9000, 4500, 560, 35'640, 560}));

  test::TempDir dir;
  const std::vector<ButtonSignal> buttons = {{"Громче", {capture, capture}}, {"Up", {{600}}}};
  const std::string path = dir.Write("r.ir", FlipperFileText(buttons));
  std::vector<ButtonSignal> back;
  std::string error;
  ASSERT_TRUE(ReadButtonSignals({path}, back, error)) << error;
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].name, buttons[0].name);
  EXPECT_EQ(back[0].captures, buttons[0].captures);
  EXPECT_EQ(back[1].captures, buttons[1].captures);

  EXPECT_EQ(AgreeingPresses({capture, {600}, capture, {600, 600}}), 2);
}

}  // namespace
}  // namespace vireo::learn
