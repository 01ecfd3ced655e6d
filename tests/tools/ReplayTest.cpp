#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "Replay.h"
#include "ReplayOptions.h"
#include "SvgPicture.h"
#include "platform/sim/SimPlatform.h"
#include "support/CaseFile.h"
#include "support/TempDir.h"
#include "text/Cp1251.h"

namespace vireo {
namespace {

using replay::Options;

std::string SourcePath(const std::string& relative) {
  return std::string(VIREO_SOURCE_DIR) + "/" + relative;
}

// Runs vireo-replay's option parsing, loading and replay, as its main does,
// in a folder holding `config` (none when empty); returns what it printed,
// in UTF-8 as a redirected standard output gets it. A picture, if given, is
// drawn first by a silent run.
std::string Replay(const std::string& config, std::vector<std::string> args,
                   replay::Picture* picture = nullptr) {
  for (std::string& arg : args) {
    if (std::filesystem::exists(SourcePath(arg))) arg = SourcePath(arg);
  }
  test::TempDir dir;
  if (!config.empty()) dir.Write("VIREO.INI", config);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  Options options;
  sim::Recording recording;
  std::string error;
  std::ostringstream out;
  if (replay::ParseOptions(args, options, error) &&
      replay::LoadRecording(options, recording, error)) {
    std::ostream silent(nullptr);
    if (picture != nullptr) replay::RunReplay(options, recording, silent, picture);
    EXPECT_EQ(replay::RunReplay(options, recording, out), 0);
  } else {
    error = "error: " + error;
  }
  std::filesystem::current_path(previous);
  return error.empty() ? Cp1251ToUtf8(out.str()) : error;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

class Transcript : public ::testing::TestWithParam<test::Case> {};

TEST_P(Transcript, PrintsTheEventLogAndTheActions) {
  const test::Case& c = GetParam();
  const std::string config =
      c.Has("ini-file") ? test::ReadBytes(SourcePath(c["ini-file"])) : c["ini"];
  const std::string expected = c.Has("output-file")
                                   ? test::ReadBytes(test::DataPath(c["output-file"]))
                                   : Cp1251ToUtf8(c["output"]);
  EXPECT_EQ(Replay(config, Words(c["args"])), expected);
}

INSTANTIATE_TEST_SUITE_P(Data, Transcript,
                         ::testing::ValuesIn(test::ReadCases("replay/transcripts.cases")),
                         VIREO_CASE_NAME);

class BadOptions : public ::testing::TestWithParam<test::Row> {};

TEST_P(BadOptions, AreRefusedWithAMessage) {
  Options o;
  std::string error;
  EXPECT_FALSE(replay::ParseOptions(GetParam(), o, error));
  EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(Data, BadOptions,
                         ::testing::ValuesIn(test::ReadTable("replay/bad-options.txt")));

TEST(ReplayOptions, AcceptedAndDefaults) {
  Options o;
  std::string error;
  EXPECT_FALSE(replay::ParseOptions({}, o, error));
  ASSERT_TRUE(replay::ParseOptions({"x.mode2"}, o, error));
  EXPECT_EQ(std::vector<std::int64_t>({o.stepUs, o.tailMs, o.repeat, o.gapMs, o.jitterUs}),
            std::vector<std::int64_t>({10, 1000, 1, 150, 0}));
  EXPECT_FALSE(o.debug);
  o = Options();
  ASSERT_TRUE(replay::ParseOptions(Words("--step-us 5 --debug --tail-ms 0 --repeat 3 --gap-ms 200 "
                                         "--button Vol --jitter-us 40 --seed 9 rec.ir"),
                                   o, error));
  EXPECT_EQ(std::vector<std::int64_t>({o.stepUs, o.tailMs, o.repeat, o.gapMs, o.jitterUs}),
            std::vector<std::int64_t>({5, 0, 3, 200, 40}));
  EXPECT_TRUE(o.debug);
  EXPECT_EQ(o.seed, 9u);
  EXPECT_EQ(o.button + " " + o.recordingPath, "Vol rec.ir");
}

TEST(Recording, Mode2AndFlipperIr) {
  sim::Recording r;
  std::string error;
  ASSERT_TRUE(sim::ParseMode2(
      "Using driver\npulse 900\nspace 450\nspace 50\npulse 10\n\ntimeout 3000\ncode 1\n", r,
      error));
  EXPECT_EQ(r, (sim::Recording{{0, 900}, {1, 500}, {0, 10}, {1, 3000}}));
  for (const char* text : {"pulse\n", "pulse 0\n", "space -5\n", "pulse 12x\n", "pulse 5 6\n"}) {
    EXPECT_FALSE(sim::ParseMode2(text, r, error)) << text;
  }
  const std::string ir =
      "Filetype: IR signals file\nVersion: 1\n#\nname: A\ntype: raw\nfrequency: 38000\n"
      "data: 100 200 300\n#\nname: B\ntype: parsed\nprotocol: NEC\ndata: 1 2\n#\n"
      "name: B\ntype: raw\ndata: 7 8\n#\nname: A\ntype: raw\ndata: 5 6 7 8\n";
  EXPECT_TRUE(sim::LooksLikeFlipperIr(ir));
  EXPECT_FALSE(sim::LooksLikeFlipperIr("pulse 100\nspace 200\n"));
  r.clear();
  ASSERT_TRUE(sim::ParseFlipperIr(ir, "", 2, r, error));
  EXPECT_EQ(r, (sim::Recording{{0, 100},
                               {1, 200},
                               {0, 300},
                               {1, 2000},
                               {0, 7},
                               {1, 2008},
                               {0, 5},
                               {1, 6},
                               {0, 7},
                               {1, 2008}}));
  r.clear();
  ASSERT_TRUE(sim::ParseFlipperIr(ir, "A", 0, r, error));
  EXPECT_EQ(r, (sim::Recording{{0, 100}, {1, 200}, {0, 305}, {1, 6}, {0, 7}, {1, 8}}));
  EXPECT_FALSE(sim::ParseFlipperIr("name: A\ntype: raw\ndata: 5 x\n", "", 0, r, error));
}

TEST(SimSerialLine, ReplaysTheRecordingOneSecondAfterOpen) {
  sim::VirtualTime time;
  sim::SimSerialLine line(time, {{0, 20}, {1, 30}, {0, 10}});  // read every 10 us
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

// A wait wakes 5 us after the next change of level (two segments of one
// level are no change), or when its bound has passed, or at once after an
// interrupt.
TEST(SimSerialLine, WaitsForTheNextChangeOfLevel) {
  sim::VirtualTime time;
  sim::SimSerialLine line(time, {{0, 20}, {0, 10}, {1, 30}, {0, 10}});
  line.edgeLatencyTicks = 5 * sim::kTicksPerUs;
  EXPECT_FALSE(line.WaitForEdge(1));  // a closed line never changes
  EXPECT_EQ(time.ticks, sim::kTicksPerMs);
  ASSERT_TRUE(line.Open(1));
  const std::int64_t start = line.RecordingStartTicks();
  // From (us, from the recording's start), bound in ms: woken, and when.
  const struct {
    std::int64_t fromUs;
    std::int32_t boundMs;
    bool woken;
    std::int64_t atUs;
  } cases[] = {{-20, 1, true, 5}, {-20, 0, false, -20}, {-1000, 1, false, 0}, {0, 1, true, 35},
               {5, 1, true, 35},  {35, 1, true, 65},    {65, 1, true, 75},    {75, 2, false, 2075}};
  for (const auto& c : cases) {
    time.ticks = start + c.fromUs * sim::kTicksPerUs;
    EXPECT_EQ(line.WaitForEdge(c.boundMs), c.woken) << c.fromUs;
    EXPECT_EQ(time.ticks, start + c.atUs * sim::kTicksPerUs) << c.fromUs;
  }
  time.ticks = start;
  line.InterruptWait();
  EXPECT_FALSE(line.WaitForEdge(100));
  EXPECT_EQ(time.ticks, start);
  EXPECT_EQ(line.edgeWaits, 10);
}

TEST(ReplayTool, LoadRecordingRepeatsJittersAndRefuses) {
  test::TempDir dir;
  EXPECT_EQ(Replay("", {dir.File("missing.mode2")}).rfind("error: cannot read", 0), 0u);
  EXPECT_EQ(Replay("", {dir.Write("empty.mode2", "# nothing\n")}).rfind("error: no usable", 0), 0u);
  EXPECT_NE(Replay("", Words("--button Nope examples/Hisense_EN_33926A.ir")).find("Nope"),
            std::string::npos);
  EXPECT_EQ(Replay("", Words("--button Power examples/hisense-session.mode2")).rfind("error:", 0),
            0u);
  Options o;
  o.recordingPath = dir.Write("one.mode2", "pulse 1000\nspace 500\npulse 1000\n");
  o.repeat = 2;
  o.gapMs = 3;
  sim::Recording r, jittered, again;
  std::string error;
  ASSERT_TRUE(replay::LoadRecording(o, r, error)) << error;
  EXPECT_EQ(
      r,
      (sim::Recording{
          {0, 1000}, {1, 500}, {0, 1000}, {1, 3000}, {0, 1000}, {1, 500}, {0, 1000}, {1, 3000}}));
  o.jitterUs = 100;
  ASSERT_TRUE(replay::LoadRecording(o, jittered, error));
  ASSERT_TRUE(replay::LoadRecording(o, again, error));
  EXPECT_EQ(again, jittered);  // the same seed gives the same changes
  ASSERT_EQ(jittered.size(), r.size());
  int changed = 0;
  for (std::size_t i = 0; i < r.size(); ++i) {
    EXPECT_LE(std::abs(jittered[i].durationUs - r[i].durationUs), 100);
    changed += jittered[i].durationUs != r[i].durationUs;
  }
  EXPECT_GT(changed, 0);
}

// The UTF-16 unit of one character's UTF-8 bytes (one to three of them).
char16_t Utf16Of(const std::string& utf8) {
  const auto b = [&utf8](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  if (utf8.size() == 1) return b(0);
  if (utf8.size() == 2) return static_cast<char16_t>((b(0) & 0x1F) << 6 | (b(1) & 0x3F));
  return static_cast<char16_t>((b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F));
}

TEST(Cp1251, EveryByteReadsAsItsUnicodeCharacter) {
  for (const test::Row& row : test::ReadTable("replay/cp1251.txt")) {
    const std::string byte(1, static_cast<char>(std::stoi(row[0], nullptr, 16)));
    EXPECT_EQ(Cp1251ToUtf8(byte + byte), row[1] + row[1]) << row[0];
    EXPECT_EQ(Cp1251ToUtf16(byte + byte), std::u16string(2, Utf16Of(row[1]))) << row[0];
  }
}

class CapturedButtons : public ::testing::TestWithParam<test::Row> {};

TEST_P(CapturedButtons, GiveTheirCodeUnderJitterAndSlowSampling) {
  const test::Row& row = GetParam();
  std::string config = test::ReadBytes(SourcePath("examples/VIREO.INI"));
  config = config.substr(0, config.find("[COMMAND1]"));  // settings only: every code is logged
  const std::string prefix = Cp1251ToUtf8("Нет комманды для '");
  for (const char* options : {"--step-us 10", "--jitter-us 30", "--step-us 40"}) {
    std::vector<std::string> args = Words(std::string(options) + " --button " + row[1]);
    args.push_back(row[0]);
    std::istringstream printed(Replay(config, args));
    int lookUps = 0;
    for (std::string line; std::getline(printed, line);) {
      if (line.rfind(prefix, 0) != 0) continue;
      ++lookUps;
      EXPECT_EQ(line.substr(prefix.size() + 1), row[2].substr(1) + "'") << row[1] << " " << options;
    }
    EXPECT_GE(lookUps, 2) << row[1] << " " << options;
  }
}

INSTANTIATE_TEST_SUITE_P(Data, CapturedButtons,
                         ::testing::ValuesIn(test::ReadTable("replay/buttons.txt")));

// The attributes (the element's text for "", blank when missing) of each
// element of the classes `cls` matches in a picture, in order.
std::vector<std::string> Elements(const std::string& svg, const std::string& cls,
                                  const std::vector<std::string>& names) {
  std::vector<std::string> found;
  for (const std::string& line : test::Lines(svg)) {
    if (!std::regex_search(line, std::regex("class=\"(" + cls + ")\""))) continue;
    for (const std::string& name : names) {
      std::smatch m;
      std::regex_search(line, m, std::regex(name.empty() ? ">(.*)<" : " " + name + "=\"([^\"]*)"));
      found.push_back(m.str(1));
    }
  }
  return found;
}

class SvgRows : public ::testing::TestWithParam<test::Row> {};

TEST_P(SvgRows, AreDrawnInRunsOfTheViewsPens) {
  const std::string svg = replay::SvgPicture({GetParam()[0], {}});
  EXPECT_EQ(Elements(svg, "run", {"x", "width", "fill"}),
            test::Row(GetParam().begin() + 1, GetParam().end()));
}

INSTANTIATE_TEST_SUITE_P(Data, SvgRows,
                         ::testing::ValuesIn(test::ReadTable("replay/svg-rows.txt")));

class SvgPicture : public ::testing::TestWithParam<test::Case> {};

TEST_P(SvgPicture, ShowsEveryPacketWithItsLoggedCodeOverTheRuler) {
  const test::Case& c = GetParam();
  std::string config = test::ReadBytes(SourcePath("examples/VIREO.INI"));
  replay::Picture picture;
  const std::string printed =
      Replay(config.substr(0, config.find("[COMMAND1]")), Words(c["args"]), &picture);
  std::vector<std::string> logged;
  const std::string prefix = Cp1251ToUtf8("Нет комманды для '");
  for (const std::string& line : test::Lines(printed)) {
    if (line.rfind(prefix, 0) == 0)
      logged.push_back(line.substr(prefix.size(), line.size() - prefix.size() - 1));
  }
  const std::string svg = replay::SvgPicture(picture);
  EXPECT_EQ(Elements(svg, "code", {""}), logged);
  EXPECT_EQ(Elements(svg, "tick", {"x"}), Words(c["ticks"]));
  EXPECT_EQ(Elements(svg, "label", {"x", ""}), Words(c["labels"]));
  EXPECT_EQ(Elements(svg, "picture", {"viewBox"}), std::vector<std::string>{c["box"]});
  // Top to bottom without overlap: the reference row, each packet's row with
  // its code under it, then the ruler band, which ends the picture.
  const std::vector<std::string> v = Elements(svg, "run|code|band", {"y", "height", "font-size"});
  int bottom = 0, top = 0, levels = 0;
  for (std::size_t i = 0; i < v.size(); i += 3) {
    const bool code = v[i + 1].empty();  // its y is its baseline
    const int y = std::stoi(v[i]), height = std::stoi(v[i + (code ? 2 : 1)]);
    if (y - code * height == top && y + !code * height == bottom) continue;  // the row's next run
    EXPECT_GE(y - code * height, bottom) << i;
    top = y - code * height, bottom = y + !code * height, ++levels;
  }
  EXPECT_EQ(levels, 2 + 2 * std::stoi(c["packets"]));
  EXPECT_EQ(std::to_string(bottom), Words(c["box"]).back());
  // Ticks and labels stand in the band, whose top is `top` now.
  for (const std::string& y : Elements(svg, "tick|label", {"y"})) {
    EXPECT_TRUE(std::stoi(y) >= top && std::stoi(y) < bottom) << y;
  }
}

INSTANTIATE_TEST_SUITE_P(Data, SvgPicture,
                         ::testing::ValuesIn(test::ReadCases("replay/pictures.cases")),
                         VIREO_CASE_NAME);

}  // namespace
}  // namespace vireo
