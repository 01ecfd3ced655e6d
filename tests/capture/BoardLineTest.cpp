// The receiver board's line: its stream replayed as CTS on the host's clock
// (words with their arrival times, the changes of level shown), and the
// question that tells a board from another device.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
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

// A board on a port in real time: answers the version request, and brings
// what the test pushes to a reader that waits for it, as a port read does.
class LiveBoardPort final : public BytePort {
 public:
  bool Open(std::int32_t, std::int32_t) override { return true; }
  int Read(std::uint8_t* buffer, int size, std::int32_t timeoutMs) override {
    std::unique_lock<std::mutex> lock(lock_);
    came_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                   [&] { return broken_ || !bytes_.empty(); });
    if (broken_) return -1;
    const int n = std::min({size, maxRead.load(), static_cast<int>(bytes_.size())});
    std::copy(bytes_.begin(), bytes_.begin() + n, buffer);
    bytes_.erase(0, static_cast<std::size_t>(n));
    return n;
  }
  bool Write(const std::uint8_t*, int) override {
    Push(std::string(kBoardHello) + "\n");
    return true;
  }
  void Close() override {}
  void Push(const std::string& bytes) {
    std::lock_guard<std::mutex> hold(lock_);
    bytes_ += bytes;
    came_.notify_all();
  }
  void Level(bool light, int us) {
    Push({static_cast<char>(0x80 | (light ? 0x40 : 0) | (us >> 7)), static_cast<char>(us & 0x7f)});
  }
  void Break() {
    std::lock_guard<std::mutex> hold(lock_);
    broken_ = true;
    came_.notify_all();
  }
  std::atomic<int> maxRead = 256;  // bytes a read brings at most

 private:
  std::mutex lock_;
  std::condition_variable came_;
  std::string bytes_;
  bool broken_ = false;
};

struct SteadyClock final : ClockHardware {
  std::int64_t HighLevelCount() override {
    ++reads;
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  std::int64_t HighLevelFrequency() override { return 1'000'000; }
  std::int64_t LowLevelCount() override { return 0; }
  void Sleep(std::int32_t ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
  std::atomic<int> reads = 0;
};

// Times are checked with margins of 20 ms and more, so that a busy machine
// does not fail them.
TEST(Line, WaitsUntilTheNextEdgeIsNearAndStopsWhenTheBoardDoes) {
  LiveBoardPort port;
  SteadyClock clock;
  BoardLine line(port, clock);
  ASSERT_TRUE(line.Open(7));
  ASSERT_EQ(line.BoardAnswer(), kBoardHello);
  ASSERT_TRUE(line.StartEdgeWait());
  port.maxRead = 3;  // words cut between reads, and reads of one byte
  auto msSince = [&](std::int64_t start) { return (clock.HighLevelCount() - start) / 1000; };

  std::int64_t start = clock.HighLevelCount();
  const int reads = clock.reads;
  EXPECT_FALSE(line.WaitForEdge(30)) << "no edge known";
  EXPECT_GE(msSince(start), 30);
  EXPECT_LT(clock.reads - reads, 20) << "the wait sleeps";

  start = clock.HighLevelCount();
  port.Level(false, 1000);  // the light comes 1 ms after this word, shown 32 ms late
  for (int i = 0; i < 6; ++i) port.Level(true, BoardStreamDecoder::kContinuedUs);
  port.Level(true, 100);  // and lasts 49 ms, long enough to be seen on a busy machine
  EXPECT_TRUE(line.WaitForEdge(1000));
  EXPECT_EQ(line.ReadCts(), 1) << "woke before the edge";
  EXPECT_GE(msSince(start), (BoardLine::kDelayUs - BoardLine::kWakeEarlyUs) / 1000);
  while (line.ReadCts() == 1 && msSince(start) < 2000) {
  }
  EXPECT_EQ(line.ReadCts(), 0);

  line.InterruptWait();
  EXPECT_FALSE(line.WaitForEdge(1000));
  start = clock.HighLevelCount();
  EXPECT_TRUE(line.WaitForEdge(1000)) << "an interrupted wait leaves the next one alone";
  while (line.ReadCts() == 0 && msSince(start) < 2000) {
  }
  start = clock.HighLevelCount();
  EXPECT_FALSE(line.WaitForEdge(30));
  EXPECT_GE(msSince(start), 30);

  const std::int64_t lastWord = clock.HighLevelCount();
  port.Push({'\x80', '\0'});  // an overflow, told once
  int overflows = 0;
  for (start = clock.HighLevelCount(); overflows == 0 && msSince(start) < 2000; clock.Sleep(1)) {
    overflows += line.TakeOverflows();
  }
  EXPECT_EQ(overflows + line.TakeOverflows(), 1);

  // Silent since the last word: the board is taken as gone after kSilentMs.
  while (!line.StreamLost() && msSince(lastWord) < 2000) clock.Sleep(1);
  EXPECT_TRUE(line.StreamLost());
  EXPECT_GE(msSince(lastWord), BoardLine::kSilentMs);
  start = clock.HighLevelCount();
  EXPECT_FALSE(line.WaitForEdge(1000));
  EXPECT_LT(msSince(start), 500) << "a lost stream ends every wait at once";
}

TEST(Line, AFailedReadEndsTheStream) {
  LiveBoardPort port;
  SteadyClock clock;
  BoardLine line(port, clock);
  ASSERT_TRUE(line.Open(7));
  port.Break();
  const std::int64_t start = clock.HighLevelCount();
  while (!line.StreamLost() && clock.HighLevelCount() - start < 2'000'000) clock.Sleep(1);
  EXPECT_TRUE(line.StreamLost());
  EXPECT_FALSE(line.WaitForEdge(1000));
}

}  // namespace
}  // namespace vireo
