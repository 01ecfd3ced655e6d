// The receiver board's line: its stream replayed as CTS on the host's clock
// (words with their arrival times, the changes of level shown), and the
// question that tells a board from another device.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/BoardLine.h"
#include "support/CaseFile.h"

namespace vireo {
namespace {

// Ticks are microseconds here; the replay runs 32 ms behind. The worker
// reads the line every microsecond while the words come.
std::string Replayed(const std::string& words) {
  BoardReplay replay(1'000'000, 32'000);
  std::string changes;
  std::int64_t t = 0;
  int level = 1;
  auto readUntil = [&](std::int64_t end) {
    for (; t < end; ++t) {
      if (replay.LevelAt(t) == level) continue;
      level = 1 - level;
      changes += std::to_string(t) + " " + std::to_string(level) + "\n";
    }
  };
  for (const std::string& line : test::Lines(words)) {
    std::istringstream in(line);
    std::int64_t arrival = 0;
    std::string word;
    in >> arrival >> word;
    readUntil(arrival);
    if (word == "gap") {
      replay.AddGap(arrival);
    } else {
      replay.AddLevel(word[0] == 'L', static_cast<std::uint32_t>(std::stoul(word.substr(1))),
                      word.back() == '+', arrival);
    }
  }
  readUntil(t + 100'000);
  EXPECT_EQ(replay.NextChange(), -1);
  return changes;
}

class Replay : public ::testing::TestWithParam<test::Case> {};

TEST_P(Replay, ShowsTheBoardsLevelsADelayLate) {
  EXPECT_EQ(Replayed(GetParam()["words"]), GetParam()["changes"]);
}

INSTANTIATE_TEST_SUITE_P(Data, Replay,
                         ::testing::ValuesIn(test::ReadCases("capture/board-replay.cases")),
                         VIREO_CASE_NAME);

TEST(Replay, AReaderAWholeStoreBehindLosesChangesAndSaysSo) {
  BoardReplay replay(1'000'000, 32'000);
  int i = 0;
  for (; i < 600; ++i) replay.AddLevel(i % 2 == 0, 500, false, i * 500);
  EXPECT_EQ(replay.LevelAt(31'750), 0);
  EXPECT_EQ(replay.NextChange(), 32'000);
  replay.LevelAt(i * 500 + 32'000);  // all shown
  for (const int full = i + BoardReplay::kCapacity; i < full; ++i) {
    replay.AddLevel(i % 2 == 0, 500, false, i * 500);
  }
  EXPECT_EQ(replay.Dropped(), 0u);
  replay.AddLevel(i % 2 == 0, 500, false, i * 500);
  EXPECT_EQ(replay.Dropped(), 1u);
}

// Read answers each chunk of the row in turn ("-" nothing in time, "!" a
// failed port), then nothing.
class ScriptedPort final : public BytePort {
 public:
  explicit ScriptedPort(std::vector<std::string> chunks) : chunks_(std::move(chunks)) {}
  bool Open(std::int32_t, std::int32_t) override { return true; }
  int Read(std::uint8_t* buffer, int size, std::int32_t) override {
    if (next_ == chunks_.size()) return 0;
    const std::string chunk = chunks_[next_++];
    if (chunk == "-") return 0;
    if (chunk == "!") return -1;
    const int n = std::min(size, static_cast<int>(chunk.size()));
    std::copy(chunk.begin(), chunk.begin() + n, buffer);
    return n;
  }
  bool Write(const std::uint8_t* data, int size) override {
    asks += size == 1 && data[0] == kBoardHelloRequest;
    return true;
  }
  void Close() override {}
  int asks = 0;

 private:
  std::vector<std::string> chunks_;
  std::size_t next_ = 0;
};

struct NoSleep final : Sleeper {
  void Sleep(std::int32_t) override {}
};

class Ask : public ::testing::TestWithParam<test::Row> {};

TEST_P(Ask, TakesTheFirstLineThatComesInTime) {
  const test::Row& r = GetParam();
  std::vector<std::string> chunks;
  std::istringstream in(r[1]);
  for (std::string chunk; std::getline(in, chunk, '|');) chunks.push_back(test::Unescape(chunk));
  ScriptedPort port(chunks);
  NoSleep sleeper;
  EXPECT_EQ(AskBoard(port, sleeper), test::Unescape(r[2]));
  EXPECT_EQ(port.asks, std::stoi(r[3]));
}

INSTANTIATE_TEST_SUITE_P(Data, Ask, ::testing::ValuesIn(test::ReadTable("capture/board-ask.txt")),
                         VIREO_CASE_NAME);

}  // namespace
}  // namespace vireo
