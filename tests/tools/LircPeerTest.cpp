#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "LircPeer.h"
#include "support/PulseDistance.h"
#include "support/TempDir.h"

namespace vireo::recognition {
namespace {

using Us = std::vector<std::int64_t>;

Us Nec(std::uint32_t code) { return test::PulseDistanceFrame(code, 32); }

Us Join(std::initializer_list<Us> parts) {
  Us joined;
  for (const Us& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

TEST(LircPeerTest, FirstFrameEndsAtTheFirstLongSpaceOnAMark) {
  struct Case {
    Us capture;
    std::int64_t gap;
    Us frame;
  };
  const std::vector<Case> cases = {
      {{}, 20000, {}},
      {{560}, 20000, {560}},
      {{9000, 4500, 560, 40000, 9000, 2250, 560}, 20000, {9000, 4500, 560}},
      {{560, 19999, 560, 20000, 560}, 20000, {560, 19999, 560}},
      {{560, 30000, 560, 100}, 50000, {560, 30000, 560}},
  };
  for (const Case& c : cases) EXPECT_EQ(FirstFrame(c.capture, c.gap), c.frame);
}

TEST(LircPeerTest, DecodesEachPressOnItsOwn) {
  const Us a = Nec(0x00FF00FF), b = Nec(0x00FF807F), c = Nec(0x12ED40BF);
  std::mt19937 random(7);
  Us jittered = b, noise;
  for (auto& us : jittered) us = us * std::uniform_int_distribution<int>(950, 1050)(random) / 1000;
  for (int i = 0; i < 41; ++i)
    noise.push_back(std::uniform_int_distribution<int>(200, 3000)(random));
  const Us space = {40000};
  const std::vector<PressUs> presses = {
      a,                              // clean
      jittered,                       // within 5%
      Join({c, space, c, space, c}),  // held
      noise,
      Us(a.begin(), a.begin() + 35),  // cut short
      Join({b, space, a, {100000}}),  // two buttons, ending on a space
  };
  test::TempDir dir;
  std::vector<std::vector<int>> decoded;
  std::string error;
  ASSERT_TRUE(DecodeWithLirc({{a}, {b}, {c}}, presses, dir.Path().string(), decoded, error))
      << error;
  EXPECT_EQ(decoded, (std::vector<std::vector<int>>{{0}, {1}, {2, 2, 2}, {}, {}, {1, 0}}));
}

TEST(LircPeerTest, FailsRatherThanMisattribute) {
  test::TempDir dir;
  std::vector<std::vector<int>> decoded;
  std::string error;
  // A press that looks like the marker between presses.
  const PressUs fake = {100000, 20000, 50000, 20000, 100000};
  EXPECT_FALSE(DecodeWithLirc({{Nec(1)}}, {Nec(1), fake}, dir.Path().string(), decoded, error));
  EXPECT_NE(error.find("markers"), std::string::npos) << error;
  EXPECT_TRUE(decoded.empty());

  const std::string path = std::getenv("PATH");
  ::setenv("PATH", "/nonexistent", 1);
  error.clear();
  EXPECT_FALSE(DecodeWithLirc({{Nec(1)}}, {Nec(1)}, dir.Path().string(), decoded, error));
  ::setenv("PATH", path.c_str(), 1);
  EXPECT_NE(error.find("irsimreceive"), std::string::npos) << error;
}

}  // namespace
}  // namespace vireo::recognition
