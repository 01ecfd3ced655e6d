#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <thread>

#include "capture/LogSink.h"

namespace vireo {
namespace {

std::string Fill(std::size_t length, char c) { return std::string(length, c); }

// Brings a log to exactly `length` characters and returns its text.
std::string Prime(LogSink& log, std::size_t length) {
  log.AppendLog(Fill(length - 2, 'o'));
  return log.TakeLogIfChanged();
}

TEST(LogSink, FirstAppendIsCrLfAndMessage) {
  LogSink log;
  log.AppendLog("VIREO.INI");
  log.AppendLog("next");
  EXPECT_EQ(log.TakeLogIfChanged(), "\r\nVIREO.INI\r\nnext");
}

TEST(LogSink, AppendWithoutLineBreakStillCountsTwo) {
  LogSink log;
  ASSERT_EQ(Prime(log, 9990).size(), 9990u);
  log.AppendLog(Fill(8, 'n'), false);  // need 10: fits exactly
  EXPECT_EQ(log.TakeLogIfChanged().size(), 9998u);
  log.AppendLog("ab", false);  // need 4: 9998 + 4 > 10000, keep the last 9996
  std::string text = log.TakeLogIfChanged();
  EXPECT_EQ(text.size(), 9998u);
  EXPECT_EQ(text.substr(text.size() - 10), "nnnnnnnnab");
}

struct CapCase {
  std::size_t before;
  std::size_t message;
  std::size_t after;
  std::size_t oldKept;  // characters of the old log left in front
};

void PrintTo(const CapCase& c, std::ostream* os) { *os << c.before << "+" << c.message; }

class LogCap : public ::testing::TestWithParam<CapCase> {};

TEST_P(LogCap, KeepsNewestCharacters) {
  const CapCase& c = GetParam();
  LogSink log;
  std::string old = c.before > 0 ? Prime(log, c.before) : std::string();
  ASSERT_EQ(old.size(), c.before);
  log.AppendLog(Fill(c.message, 'm'));
  std::string text = log.TakeLogIfChanged();
  EXPECT_EQ(text.size(), c.after);
  EXPECT_EQ(text, old.substr(old.size() - c.oldKept) + "\r\n" + Fill(c.message, 'm'));
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, LogCap,
    ::testing::Values(CapCase{9990, 20, 10000, 9978},  // need 22: cut to 9978
                      CapCase{9978, 20, 10000, 9978},  // exactly fits
                      CapCase{9979, 20, 10000, 9978},  // one over: the oldest goes
                      CapCase{5000, 9998, 10000, 0},   // need 10000: none of the old
                      CapCase{0, 9998, 10000, 0},
                      CapCase{5000, 9999, 10001, 0},  // need 10001: emptied, stands alone
                      CapCase{0, 20000, 20002, 0}),
    [](const auto& info) {
      return "Log" + std::to_string(info.param.before) + "Message" +
             std::to_string(info.param.message);
    });

TEST(LogSink, CutMayFallInsideALine) {
  LogSink log;
  log.AppendLog(Fill(4998, 'a'));
  log.AppendLog(Fill(4998, 'b'));  // 10000 characters
  log.AppendLog("c");              // need 3: keep the last 9997
  std::string text = log.TakeLogIfChanged();
  ASSERT_EQ(text.size(), 10000u);
  EXPECT_EQ(text.substr(0, 3), "aaa");  // no CR LF in front any more
  EXPECT_EQ(text.substr(text.size() - 3), "\r\nc");
}

TEST(LogSink, ChangedFlag) {
  LogSink log;
  EXPECT_EQ(log.TakeLogIfChanged(), "");
  log.MarkLogChanged();  // on an empty log the take is empty: the box stays as it is
  EXPECT_EQ(log.TakeLogIfChanged(), "");
  log.AppendLog("x");
  EXPECT_EQ(log.TakeLogIfChanged(), "\r\nx");
  EXPECT_EQ(log.TakeLogIfChanged(), "");
  log.MarkLogChanged();
  EXPECT_EQ(log.TakeLogIfChanged(), "\r\nx");
}

TEST(LogSink, AppendsAndTakesFromTwoThreads) {
  LogSink log;
  constexpr int kLines = 20000;
  std::thread writer([&] {
    for (int i = 0; i < kLines; ++i) log.AppendLog("line " + std::to_string(i));
  });
  std::string last;
  for (int i = 0; i < 2000; ++i) {
    std::string taken = log.TakeLogIfChanged();
    if (!taken.empty()) {
      ASSERT_LE(taken.size(), LogSink::kCapacity);
      last = taken;
    }
    std::this_thread::yield();
  }
  writer.join();
  std::string final = log.TakeLogIfChanged();
  if (final.empty()) final = last;
  EXPECT_EQ(final.substr(final.size() - 12), "\r\nline 19999");
  EXPECT_LE(final.size(), LogSink::kCapacity);
}

}  // namespace
}  // namespace vireo
