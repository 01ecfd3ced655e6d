#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "Cp1251.h"
#include "Replay.h"
#include "ReplayOptions.h"
#include "platform/sim/SimPlatform.h"
#include "support/TempDir.h"

namespace vireo {
namespace {

using replay::Options;

std::string SourcePath(const std::string& relative) {
  return std::string(VIREO_SOURCE_DIR) + "/" + relative;
}

// Literals of this file are compiled to Windows-1251; UTF-8 ones need u8.
std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ReplayOptions, Accepted) {
  Options o;
  std::string error;
  ASSERT_TRUE(replay::ParseOptions(
      {"--step-us", "5", "--debug", "--tail-ms", "0", "--repeat", "3", "--gap-ms", "200",
       "--button", "Vol up", "--jitter-us", "40", "--seed", "9", "rec.ir"},
      o, error))
      << error;
  EXPECT_EQ(o.stepUs, 5);
  EXPECT_TRUE(o.debug);
  EXPECT_EQ(o.tailMs, 0);
  EXPECT_EQ(o.repeat, 3);
  EXPECT_EQ(o.gapMs, 200);
  EXPECT_EQ(o.button, "Vol up");
  EXPECT_EQ(o.jitterUs, 40);
  EXPECT_EQ(o.seed, 9u);
  EXPECT_EQ(o.recordingPath, "rec.ir");

  Options defaults;
  ASSERT_TRUE(replay::ParseOptions({"x.mode2"}, defaults, error));
  EXPECT_EQ(defaults.stepUs, 10);
  EXPECT_EQ(defaults.tailMs, 1000);
  EXPECT_EQ(defaults.repeat, 1);
  EXPECT_EQ(defaults.gapMs, 150);
  EXPECT_FALSE(defaults.debug);
}

TEST(ReplayOptions, Refused) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--debug"},
      {"a", "b"},
      {"--bogus", "a"},
      {"--step-us", "0", "a"},
      {"--step-us", "-1", "a"},
      {"--step-us", "1.5", "a"},
      {"--step-us", "a"},
      {"a", "--tail-ms"},
      {"--repeat", "0", "a"},
      {"--gap-ms", "x", "a"},
      {"--seed", "", "a"},
      {"a", "--button"},
      {"--jitter-us", "99999999999999999", "a"},
  };
  for (const auto& args : bad) {
    Options o;
    std::string error;
    std::string joined;
    for (const std::string& a : args) joined += a + " ";
    EXPECT_FALSE(replay::ParseOptions(args, o, error)) << joined;
    EXPECT_FALSE(error.empty()) << joined;
  }
}

TEST(Recording, Mode2) {
  sim::Recording r;
  std::string error;
  ASSERT_TRUE(sim::ParseMode2(
      "Using driver default\npulse 900\nspace 450\nspace 50\npulse 10\n\ntimeout 3000\ncode 1\n", r,
      error));
  EXPECT_EQ(r, (sim::Recording{{0, 900}, {1, 500}, {0, 10}, {1, 3000}}));
  for (const char* text : {"pulse\n", "pulse 0\n", "space -5\n", "pulse 12x\n", "pulse 5 6\n"}) {
    sim::Recording ignored;
    EXPECT_FALSE(sim::ParseMode2(text, ignored, error)) << text;
  }
}

TEST(Recording, FlipperIr) {
  const std::string text =
      "Filetype: IR signals file\nVersion: 1\n#\nname: A\ntype: raw\nfrequency: 38000\n"
      "data: 100 200 300\n#\nname: B\ntype: parsed\nprotocol: NEC\ndata: 1 2\n#\n"
      "name: B\ntype: raw\ndata: 7 8\n#\nname: A\ntype: raw\ndata: 5 6 7 8\n";
  EXPECT_TRUE(sim::LooksLikeFlipperIr(text));
  EXPECT_FALSE(sim::LooksLikeFlipperIr("pulse 100\nspace 200\n"));
  sim::Recording all;
  std::string error;
  ASSERT_TRUE(sim::ParseFlipperIr(text, "", 2, all, error));
  EXPECT_EQ(all, (sim::Recording{{0, 100},
                                 {1, 200},
                                 {0, 300},
                                 {1, 2000},
                                 {0, 7},
                                 {1, 2008},
                                 {0, 5},
                                 {1, 6},
                                 {0, 7},
                                 {1, 2008}}));
  sim::Recording a;
  ASSERT_TRUE(sim::ParseFlipperIr(text, "A", 0, a, error));
  EXPECT_EQ(a, (sim::Recording{{0, 100}, {1, 200}, {0, 300 + 5}, {1, 6}, {0, 7}, {1, 8}}));
  sim::Recording none;
  EXPECT_FALSE(sim::ParseFlipperIr("name: A\ntype: raw\ndata: 5 x\n", "", 0, none, error));
}

TEST(SimSerialLine, ReplaysTheRecordingOneSecondAfterOpen) {
  sim::VirtualTime time;
  // 10 us steps; 20 us burst, 30 us pause, 10 us burst.
  sim::SimSerialLine line(time, {{0, 20}, {1, 30}, {0, 10}});
  EXPECT_FALSE(line.Open(0));
  EXPECT_FALSE(line.Open(-3));
  ASSERT_TRUE(line.Open(1));
  EXPECT_FALSE(line.Open(1));
  EXPECT_EQ(line.RecordingStartTicks(), 1000 * sim::kTicksPerMs);
  time.ticks = line.RecordingStartTicks() - 200;
  std::string levels;
  for (int i = 0; i < 10; ++i) levels += static_cast<char>('0' + line.ReadCts());
  // Reads at -10, 0, 10, ... 70 us: a boundary belongs to the segment it opens.
  EXPECT_EQ(levels, "1001110111");
  EXPECT_TRUE(line.Close());
  EXPECT_TRUE(line.Close());
  EXPECT_EQ(line.Calls(), "open:0;open:-3;open:1;open:1;close;");
}

TEST(ReplayTool, LoadRecordingRefusesWhatItCannotUse) {
  test::TempDir dir;
  Options o;
  sim::Recording r;
  std::string error;
  o.recordingPath = dir.File("missing.mode2");
  EXPECT_FALSE(replay::LoadRecording(o, r, error));
  o.recordingPath = dir.Write("empty.mode2", "# nothing here\nspace 1000\n");
  EXPECT_FALSE(replay::LoadRecording(o, r, error));
  EXPECT_NE(error.find("no usable duration"), std::string::npos);
  o.recordingPath = SourcePath("examples/Hisense_EN_33926A.ir");
  o.button = "NoSuchButton";
  EXPECT_FALSE(replay::LoadRecording(o, r, error));
  EXPECT_NE(error.find("NoSuchButton"), std::string::npos);
  o.recordingPath = SourcePath("examples/hisense-session.mode2");
  o.button = "Power";
  EXPECT_FALSE(replay::LoadRecording(o, r, error));
}

TEST(ReplayTool, RepeatGapAndJitter) {
  test::TempDir dir;
  Options o;
  o.recordingPath = dir.Write("one.mode2", "pulse 1000\nspace 500\npulse 1000\n");
  o.repeat = 2;
  o.gapMs = 3;
  sim::Recording r;
  std::string error;
  ASSERT_TRUE(replay::LoadRecording(o, r, error)) << error;
  EXPECT_EQ(
      r,
      (sim::Recording{
          {0, 1000}, {1, 500}, {0, 1000}, {1, 3000}, {0, 1000}, {1, 500}, {0, 1000}, {1, 3000}}));
  o.jitterUs = 100;
  sim::Recording jittered;
  ASSERT_TRUE(replay::LoadRecording(o, jittered, error));
  ASSERT_EQ(jittered.size(), r.size());
  bool changed = false;
  for (std::size_t i = 0; i < r.size(); ++i) {
    EXPECT_LE(std::abs(jittered[i].durationUs - r[i].durationUs), 100);
    changed = changed || jittered[i].durationUs != r[i].durationUs;
  }
  EXPECT_TRUE(changed);
  sim::Recording again;
  ASSERT_TRUE(replay::LoadRecording(o, again, error));
  EXPECT_EQ(again, jittered);  // the same seed gives the same changes
}

TEST(ReplayTool, Cp1251ToUtf8) {
  EXPECT_EQ(Cp1251ToUtf8("COM1 \xC0\xDF\xE0\xFF \xA8\xB8 \xB9 \x98"),
            Utf8(u8"COM1 АЯая Ёё № \uFFFD"));
  EXPECT_EQ(Cp1251ToUtf8("Тише"), Utf8(u8"Тише"));
}

// Runs the replay in a folder holding `config`, returns what it printed.
std::string Replay(const std::string& config, Options options) {
  test::TempDir dir;
  dir.Write("VIREO.INI", config);
  auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  sim::Recording recording;
  std::string error;
  std::ostringstream out;
  if (replay::LoadRecording(options, recording, error)) {
    replay::RunReplay(options, recording, out);
  } else {
    out << "error: " << error;
  }
  std::filesystem::current_path(previous);
  return out.str();
}

// The example session through the example configuration: start-up, every
// recognised command, the stand-in report of its action, and the stop.
TEST(ReplayTool, ExampleSessionTranscript) {
  Options o;
  o.recordingPath = SourcePath("examples/hisense-session.mode2");
  std::string printed = Replay(ReadFile(SourcePath("examples/VIREO.INI")), o);
  EXPECT_EQ(printed, ReadFile(SourcePath("tests/data/hisense-session.expected")));
}

TEST(ReplayTool, MissingConfigurationIsLoggedNotRefused) {
  Options o;
  o.recordingPath = SourcePath("examples/hisense-session.mode2");
  test::TempDir dir;
  auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  sim::Recording recording;
  std::string error;
  ASSERT_TRUE(replay::LoadRecording(o, recording, error));
  std::ostringstream out;
  EXPECT_EQ(replay::RunReplay(o, recording, out), 0);
  std::filesystem::current_path(previous);
  EXPECT_EQ(out.str(), Utf8(u8"Не могу прочитать VIREO.INI\n"));
}

// Captured buttons of real handsets, each with its code. The first symbol
// compares the rest of the head burst, which depends on when the burst was
// first seen, with the pause after it, and is left out.
struct ButtonCase {
  const char* file;
  const char* button;
  const char* code;
};

void PrintTo(const ButtonCase& c, std::ostream* os) { *os << c.button; }

class CapturedButtons : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(CapturedButtons, GiveTheirCodeUnderJitterAndSlowSampling) {
  const ButtonCase& c = GetParam();
  std::string config = ReadFile(SourcePath("examples/VIREO.INI"));
  config = config.substr(0, config.find("[COMMAND1]"));  // settings only: every code is logged
  const std::string prefix = Cp1251ToUtf8("Нет комманды для '");
  for (auto [jitter, step] : {std::pair{0, 10}, std::pair{30, 10}, std::pair{0, 40}}) {
    Options o;
    o.recordingPath = SourcePath(c.file);
    o.button = c.button;
    o.jitterUs = jitter;
    o.stepUs = step;
    std::istringstream printed(Replay(config, o));
    int lookUps = 0;
    for (std::string line; std::getline(printed, line);) {
      if (line.compare(0, prefix.size(), prefix) != 0) continue;
      std::string code = line.substr(prefix.size(), line.size() - prefix.size() - 1);
      ++lookUps;
      EXPECT_EQ(code.substr(1), std::string(c.code).substr(1))
          << c.button << " jitter " << jitter << " step " << step;
    }
    EXPECT_GE(lookUps, 2) << c.button;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, CapturedButtons,
    ::testing::Values(
        ButtonCase{"examples/Hisense_EN_33926A.ir", "Power", "0001000001101111100010000111011111"},
        ButtonCase{"examples/Hisense_EN_33926A.ir", "Vol_up", "0001000001101111101000000101111111"},
        ButtonCase{"examples/Hisense_EN_33926A.ir", "2", "0001000001101111101001000101101111"},
        ButtonCase{"examples/Samsung_HW-FM45.ir", "Vol_up",
                   "?00001100111100001000011101110000100011"},
        ButtonCase{"examples/Samsung_HW-FM45.ir", "Play_pause",
                   "?00001100111100001000001010001101011101"}),
    [](const auto& info) {
      std::string name =
          std::string(info.param.file).find("Samsung") != std::string::npos ? "Samsung" : "Hisense";
      return name + "_" + info.param.button;
    });

}  // namespace
}  // namespace vireo
