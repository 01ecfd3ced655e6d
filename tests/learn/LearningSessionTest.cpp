#include <gtest/gtest.h>

#include <sstream>

#include "learn/LearningSession.h"
#include "support/CaseFile.h"
#include "text/Cp1251.h"

namespace vireo::learn {
namespace {

// Runs a case's "steps" ("MS name TEXT", "MS packet US,US,.." burst first,
// "MS cut US,..", "MS lost N", "MS tick") and writes each changed status,
// then each captured button with its press count.
std::string Transcript(const std::string& steps) {
  LearningSession session;
  std::string out = session.Status() + "\n";
  for (const std::string& line : test::Lines(steps)) {
    std::istringstream in(line);
    std::int64_t ms = 0;
    std::string what, arg;
    in >> ms >> what;
    std::getline(in >> std::ws, arg);
    if (what == "name") session.BeginButton(arg, ms);
    if (what == "tick" && session.Tick(ms))
      out += std::to_string(ms) + " " + session.Status() + "\n";
    if (what == "lost") session.AddPackets({}, std::stoi(arg), ms);
    if (what == "packet" || what == "cut") {
      RawPacket p;
      p.beginUs = ms * 1000;
      p.valid = true;
      p.cut = what == "cut";
      std::istringstream runs(arg);
      for (std::string us; std::getline(runs, us, ',');) p.us[p.count++] = std::stoi(us);
      session.AddPackets({p}, 0, ms);
    }
  }
  for (const ButtonSignal& b : session.Captured()) {
    out +=
        "captured " + vireo::Utf8ToCp1251(b.name) + " " + std::to_string(b.captures.size()) + "\n";
  }
  return out;
}

class Session : public ::testing::TestWithParam<test::Case> {};

TEST_P(Session, TellsWhatToPressNext) {
  const test::Case& c = GetParam();
  EXPECT_EQ(Transcript(c["steps"]), c["expect"]);
}

INSTANTIATE_TEST_SUITE_P(Data, Session,
                         ::testing::ValuesIn(test::ReadCases("learn/learning-session.cases")),
                         VIREO_CASE_NAME);

}  // namespace
}  // namespace vireo::learn
