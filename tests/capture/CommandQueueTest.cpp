#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "capture/CommandLookup.h"
#include "capture/CommandQueue.h"
#include "support/TempDir.h"

namespace vireo {
namespace {

class RecordingSleeper : public Sleeper {
 public:
  void Sleep(std::int32_t ms) override { slept += std::to_string(ms) + ";"; }
  std::string slept;
};

class CommandQueueTest : public ::testing::Test {
 protected:
  std::string DrainAll() {
    std::string popped;
    for (std::string name = queue.Pop(); !name.empty(); name = queue.Pop()) popped += name + ",";
    return popped;
  }
  LogSink log;
  std::atomic<bool> debug{false};
  CommandQueue queue{log, debug};
  RecordingSleeper sleeper;
};

TEST_F(CommandQueueTest, StackOrderAndPause) {
  queue.Push("3", 300, sleeper);
  queue.Push("12", 300, sleeper);
  EXPECT_EQ(queue.Pop(), "12");
  EXPECT_EQ(queue.Pop(), "3");
  EXPECT_EQ(queue.Pop(), "");
  EXPECT_EQ(sleeper.slept, "300;300;");
  EXPECT_EQ(log.TakeLogIfChanged(), "");
}

TEST_F(CommandQueueTest, SemicolonsSplitIntoEntries) {
  queue.Push("5;6", 0, sleeper);
  queue.Push(";7;", 0, sleeper);  // ";" + ";7;" gives entries "", "7", ""
  EXPECT_EQ(queue.Pop(), "");
  EXPECT_EQ(queue.Pop(), "7");
  EXPECT_EQ(queue.Pop(), "");
  EXPECT_EQ(DrainAll(), "6,5,");
}

TEST_F(CommandQueueTest, EmptyEntryEndsADrainButIsRemoved) {
  queue.Push("1", 0, sleeper);
  queue.Push("", 0, sleeper);
  queue.Push("2", 0, sleeper);
  EXPECT_EQ(DrainAll(), "2,");
  EXPECT_EQ(DrainAll(), "1,");
}

TEST_F(CommandQueueTest, LimitIsFiveThousandCharacters) {
  std::string name(4998, 'a');
  queue.Push(name, 10, sleeper);  // 4999 characters
  queue.Push("", 10, sleeper);    // exactly 5000: accepted
  queue.Push("", 10, sleeper);    // 5001: refused
  EXPECT_EQ(log.TakeLogIfChanged(),
            "\r\n\xD1\xF2\xE5\xEA \xEF\xE5\xF0\xE5\xEF\xEE\xEB\xED\xE5\xED");
  EXPECT_EQ(sleeper.slept, "10;10;");  // no pause after a refused push
  EXPECT_EQ(queue.Pop(), "");
  EXPECT_EQ(queue.Pop(), name);
  EXPECT_EQ(queue.Pop(), "");
}

TEST_F(CommandQueueTest, DebugSwitchMakesPushDoNothing) {
  debug = true;
  queue.Push("3", 300, sleeper);
  EXPECT_EQ(sleeper.slept, "");
  debug = false;
  EXPECT_EQ(queue.Pop(), "");
}

TEST_F(CommandQueueTest, PushAndPopFromTwoThreads) {
  constexpr int kPushes = 20000;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    RecordingSleeper quiet;
    for (int i = 0; i < kPushes; ++i) queue.Push(std::to_string(i % 10), 0, quiet);
    done = true;
  });
  int popped = 0;
  for (;;) {
    bool finished = done.load();
    std::string name = queue.Pop();
    if (name.empty()) {
      if (finished) break;
      std::this_thread::yield();
      continue;
    }
    ASSERT_EQ(name.size(), 1u);  // never a torn or merged entry
    ++popped;
  }
  worker.join();
  // Pushes that met a full queue were dropped with their log line.
  EXPECT_GT(popped, 0);
  EXPECT_LE(popped, kPushes);
  EXPECT_EQ(queue.Pop(), "");
}

class CommandLookupTest : public ::testing::Test {
 protected:
  void Load(const std::string& text) { ASSERT_TRUE(config.Load(dir.Write("VIREO.INI", text))); }
  test::TempDir dir;
  SharedConfig config;
};

TEST_F(CommandLookupTest, FirstContainedValueWins) {
  Load(
      "[COMMAND1]\nValue=0101\n[COMMAND2]\nValue=01011\n[COMMAND3]\nValue=\n"
      "[COMMAND5]\nValue=1?1\n[COMMAND6]\nValue=11 \n[COMMAND7]\nAction=OPEN\n"
      "[COMMAND49]\nValue=000111\n[COMMAND50]\nValue=0\n[command8]\nValue=1\n[COMMAND08]\nValue="
      "1\n");
  struct Case {
    const char* code;
    std::int32_t expected;
  } cases[] = {
      {"1101011", 1},              // 0101 comes first although 01011 fits too
      {"0101", 1},                 // the whole code
      {"001?10", 5},               // gap at 4 skipped
      {"0011 1", 6},               // trailing blank kept in Value
      {"0011", 0},                 // ... so without the blank no match
      {"10001110", 49}, {"0", 0},  // COMMAND50 is never consulted
      {"", 0},                     // an empty code matches nothing
      {"1", 0},                    // lower-case and zero-padded sections are not looked up
  };
  for (const Case& c : cases) EXPECT_EQ(FindCommand(config, c.code), c.expected) << c.code;
}

}  // namespace
}  // namespace vireo
