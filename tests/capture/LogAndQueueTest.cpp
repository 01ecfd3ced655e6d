#include <gtest/gtest.h>

#include "capture/CommandLookup.h"
#include "capture/CommandQueue.h"
#include "capture/EventReport.h"
#include "support/CaseFile.h"
#include "support/TempDir.h"

namespace vireo {
namespace {

class LogCap : public ::testing::TestWithParam<test::Row> {};

TEST_P(LogCap, KeepsTheNewestCharacters) {
  const std::size_t before = std::stoul(GetParam()[0]), length = std::stoul(GetParam()[1]);
  LogSink log;
  if (before > 0) log.AppendLog(std::string(before - 2, 'o'));
  const std::string old = log.TakeLogIfChanged();
  log.AppendLog(std::string(length, 'm'));
  const std::string text = log.TakeLogIfChanged();
  EXPECT_EQ(text.size(), std::stoul(GetParam()[2]));
  EXPECT_EQ(text,
            old.substr(old.size() - std::stoul(GetParam()[3])) + "\r\n" + std::string(length, 'm'));
}

INSTANTIATE_TEST_SUITE_P(Data, LogCap, ::testing::ValuesIn(test::ReadTable("capture/log-cap.txt")));

TEST(LogSink, LinesChangedFlagAndCutsInsideALine) {
  LogSink log;
  EXPECT_EQ(log.TakeLogIfChanged(), "");
  log.MarkLogChanged();  // an empty log takes as empty: the log box stays as it is
  EXPECT_EQ(log.TakeLogIfChanged(), "");
  log.AppendLog("VIREO.INI");
  log.AppendLog("next");
  EXPECT_EQ(log.TakeLogIfChanged(), "\r\nVIREO.INI\r\nnext");
  EXPECT_EQ(log.TakeLogIfChanged(), "");
  log.MarkLogChanged();
  EXPECT_EQ(log.TakeLogIfChanged(), "\r\nVIREO.INI\r\nnext");

  LogSink full;
  full.AppendLog(std::string(4998, 'a'));
  full.AppendLog(std::string(4998, 'b'));  // 10000 characters
  full.AppendLog("c");                     // needs 3: the cut falls inside a line
  std::string text = full.TakeLogIfChanged();
  EXPECT_EQ(text.substr(0, 3) + text.substr(text.size() - 3), "aaa\r\nc");
  // An append without a line break still counts two characters: 7 here.
  full.AppendLog(std::string(5, 'n'), false);
  text = full.TakeLogIfChanged();
  EXPECT_EQ(text.size(), 9998u);
  EXPECT_EQ(text.substr(text.size() - 8), "\r\ncnnnnn");
}

TEST(RunState, StopRequestsOnlyWhereAWorkerIsAndAreNeverOverwritten) {
  RunState state;
  state.RequestStop();
  EXPECT_EQ(state.Get(), kStopped);
  for (int value : {kIdle, kArmed, kReceiving, kStopRequested}) {
    state.Set(value);
    state.RequestStop();
    EXPECT_EQ(state.Get(), kStopRequested) << value;
  }
  state.Set(kArmed);
  EXPECT_TRUE(state.Transition(kArmed, kReceiving));
  state.RequestStop();
  EXPECT_FALSE(state.Transition(kReceiving, kArmed));
  EXPECT_EQ(state.Get(), kStopRequested);

  LogSink log;
  state.Set(kIdle);
  LogAndStop(log, state, "BUFFER_SIZE<=0");
  EXPECT_EQ(state.Get(), kStopRequested);
  EXPECT_EQ(log.TakeLogIfChanged(), "\r\nBUFFER_SIZE<=0");
}

class RecordingSleeper : public Sleeper {
 public:
  void Sleep(std::int32_t ms) override { slept += std::to_string(ms) + ";"; }
  std::string slept;
};

TEST(CommandQueue, StackOfEntriesWithPauseLimitAndDebugSwitch) {
  LogSink log;
  std::atomic<bool> debug{false};
  CommandQueue queue(log, debug);
  RecordingSleeper sleeper;
  auto drain = [&queue] {
    std::string popped;
    for (std::string name = queue.Pop(); !name.empty(); name = queue.Pop()) popped += name + ",";
    return popped;
  };
  queue.Push("3", 300, sleeper);
  queue.Push("5;6", 300, sleeper);
  queue.Push(";7;", 0, sleeper);  // entries "", "7" and ""
  EXPECT_EQ(drain(), "");
  EXPECT_EQ(drain(), "7,");
  EXPECT_EQ(drain(), "6,5,3,");
  EXPECT_EQ(sleeper.slept, "300;300;0;");

  const std::string name(4998, 'a');
  queue.Push(name, 10, sleeper);  // 4999 characters
  queue.Push("", 10, sleeper);    // exactly 5000: accepted
  queue.Push("", 10, sleeper);    // 5001: refused, and no pause
  EXPECT_EQ(log.TakeLogIfChanged(), "\r\nСтек переполнен");
  EXPECT_EQ(sleeper.slept, "300;300;0;10;10;");
  EXPECT_EQ(queue.Pop(), "");
  EXPECT_EQ(queue.Pop(), name);

  debug = true;
  queue.Push("3", 300, sleeper);
  debug = false;
  EXPECT_EQ(queue.Pop(), "");
  EXPECT_EQ(sleeper.slept, "300;300;0;10;10;");
}

class Lookup : public ::testing::TestWithParam<test::Row> {};

TEST_P(Lookup, FirstSectionWhoseValueTheCodeContains) {
  test::TempDir dir;
  SharedConfig config;
  ASSERT_TRUE(
      config.Load(dir.Write("VIREO.INI", test::ReadBytes(test::DataPath("capture/lookup.ini")))));
  const test::Row& r = GetParam();
  EXPECT_EQ(r.size() > 2 ? FindCommand(config, r[0], std::stoi(r[2])) : FindCommand(config, r[0]),
            std::stoi(r[1]));
}

INSTANTIATE_TEST_SUITE_P(Data, Lookup, ::testing::ValuesIn(test::ReadTable("capture/lookup.txt")));

}  // namespace
}  // namespace vireo
