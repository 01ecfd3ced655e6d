// The dispatcher, its actions and the volume steps, driven by scripts under
// tests/data/actions against one fake of every seam. The fake writes each
// outside effect into the same transcript as the event log, prefixed "> ".
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "actions/ActionRunner.h"
#include "config/NumberText.h"
#include "support/CaseFile.h"
#include "support/EngineHarness.h"
#include "text/Cp1251.h"

namespace vireo {
namespace {

class FakeWorld : public WallClock,
                  public Desktop,
                  public VolumeSource,
                  public ShutdownControl,
                  public CaptionSurface,
                  public LogListener {
 public:
  void Note(const std::string& text) { lines.push_back("> " + text); }
  void OnLogLine(const std::string& line) override { lines.push_back(line); }

  void StampTime(WallStamp& stamp) override {
    stamp = WallStamp{};
    stamp.day = day;
    stamp.hour = static_cast<std::uint16_t>(ms / 3600000);
    stamp.minute = static_cast<std::uint16_t>(ms / 60000 % 60);
    stamp.second = static_cast<std::uint16_t>(ms / 1000 % 60);
    stamp.milliseconds = static_cast<std::uint16_t>(ms % 1000);
  }

  void Sleep(std::int32_t ms) override { Note("sleep " + DecimalText(ms)); }
  void Pause(std::int32_t ms) override { Note("pause " + DecimalText(ms)); }
  void EnumerateWindows(const std::function<void(WindowId, const std::string&)>& step) override {
    for (const auto& [id, title] : windows) step(id, title);
  }
  void Post(WindowId window, const WindowMessage& m) override {
    Note("post " + DecimalText(window) + " " + Message(m));
  }
  void Broadcast(const WindowMessage& m) override { Note("broadcast " + Message(m)); }
  bool ShellOpen(const std::string& f, const std::string& d, const std::string& p) override {
    Note("open " + f + "|" + d + "|" + p);
    return !shellFails;
  }
  ScreenRect DesktopRect() override { return {0, 0, 1280, 1024}; }
  void SetPointer(std::int32_t x, std::int32_t y) override {
    Note("pointer " + DecimalText(x) + "," + DecimalText(y));
  }

  bool Open() override {
    Note("volume open");
    return volumeExists;
  }
  void Close() override { Note("volume close"); }
  std::int32_t Minimum() override { return minimum; }
  std::int32_t Maximum() override { return maximum; }
  std::int32_t Volume() override { return volume; }
  void SetVolume(std::int32_t value) override {
    volume = value;
    sets += DecimalText(value);
    Note("volume " + DecimalText(value));
  }
  void EnableLine() override { Note("enable line"); }

  bool RequestShutdown() override {
    Note("shutdown");
    return !shutdownFails;
  }

  void SetCaptionText(const std::string& text) override { Note("text " + text); }
  void ShowCaption() override {
    if (!shown) Note("show");
    shown = true;
  }
  void HideCaption() override {
    if (shown) Note("hide");
    shown = false;
  }
  bool CaptionShown() const override { return shown; }
  void SetRunLamp(bool on) override {
    if (on != lamp) Note(on ? "lamp on" : "lamp off");
    lamp = on;
  }
  void CloseMainWindow() override { Note("close main window"); }

  static std::string Message(const WindowMessage& m) {
    return DecimalText(m.message) + " " + DecimalText(m.wParam) + " " + DecimalText(m.lParam);
  }

  std::vector<std::string> lines;
  std::string sets;
  std::vector<std::pair<WindowId, std::string>> windows;
  std::int64_t ms = 0;
  std::uint16_t day = 7;
  bool shellFails = false, shutdownFails = false, volumeExists = true;
  bool shown = false, lamp = false;
  std::int32_t minimum = 0, maximum = 65535, volume = 0;
};

class Dispatch : public ::testing::TestWithParam<test::Case> {};

// Steps: "at MS" sets the wall clock (a day change with "day N"), "push
// NAMES" queues as the worker does, "tick" runs the timer tick, "ticks N
// EVERY" runs N ticks EVERY ms apart, "state N" sets the run state.
TEST_P(Dispatch, Transcript) {
  const test::Case& c = GetParam();
  test::EngineHarness harness({}, c["ini"]);
  CaptureEngine& engine = *harness.engine;
  ASSERT_TRUE(engine.Config().Load("VIREO.INI"));
  FakeWorld world;
  engine.Log().SetListener(&world);
  std::istringstream windows(c.Has("windows") ? c["windows"] : "");
  for (std::string line; std::getline(windows, line);) {
    world.windows.emplace_back(std::stoul(line), line.substr(line.find(' ') + 1));
  }
  std::istringstream options(c.Has("world") ? c["world"] : "");
  for (std::string word; options >> word;) {
    if (word == "no-volume") world.volumeExists = false;
    if (word == "shell-fails") world.shellFails = true;
    if (word == "shutdown-fails") world.shutdownFails = true;
    if (word == "debug") engine.Frames().debugMode = true;
    if (word == "max") options >> world.maximum;
  }
  ActionRunner runner(engine, {world, world, world, world, world});
  runner.Start();
  std::istringstream steps(c["steps"]);
  for (std::string line; std::getline(steps, line);) {
    std::istringstream words(line);
    std::string verb, arg;
    words >> verb >> arg;
    if (verb == "at") world.ms = std::stoll(arg);
    if (verb == "day") world.day = static_cast<std::uint16_t>(std::stoi(arg));
    if (verb == "push") engine.Queue().Push(arg, 0, harness.hardware);
    if (verb == "state") engine.State().Set(std::stoi(arg));
    if (verb == "tick") runner.Tick();
    if (verb == "ticks") {
      int every = 0;
      words >> every;
      for (int i = std::stoi(arg); i > 0; --i, world.ms += every) runner.Tick();
    }
  }
  runner.ReleaseVolume();
  EXPECT_EQ(world.lines, test::Lines(c["expect"]));
  engine.Log().SetListener(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Data, Dispatch,
                         ::testing::ValuesIn(test::ReadCases("actions/dispatch.cases")),
                         VIREO_CASE_NAME);

TEST(Dispatch, ProgramStepNamingItselfIsCutAtTheBoundEachTick) {
  test::EngineHarness harness({}, "[COMMAND1]\nValue=PROGRAM\nAction=PROGRAM\nParam1=1\n");
  CaptureEngine& engine = *harness.engine;
  ASSERT_TRUE(engine.Config().Load("VIREO.INI"));
  FakeWorld world;
  engine.Log().SetListener(&world);
  ActionRunner runner(engine, {world, world, world, world, world});
  runner.Start();
  engine.Queue().Push("1", 0, harness.hardware);
  for (int tick = 0; tick < 2; ++tick) {
    world.lines.clear();
    runner.Tick();
    EXPECT_EQ(std::count(world.lines.begin(), world.lines.end(), "(1)"),
              ActionRunner::kMaxCommandsPerTick);
    EXPECT_EQ(world.lines.back(), "Слишком много команд за один такт, остальные ждут");
  }
  engine.Log().SetListener(nullptr);
}

// min max start action -> value set ("-": none), caption
class VolumeSteps : public ::testing::TestWithParam<test::Row> {};

TEST_P(VolumeSteps, FollowTheFifteenthOfTheMaximum) {
  const test::Row& row = GetParam();
  FakeWorld world;
  world.minimum = std::stoi(row[0]);
  world.maximum = std::stoi(row[1]);
  world.volume = std::stoi(row[2]);
  MasterVolume volume(world);
  const bool up = row[3] == "up";
  const std::int32_t level = up ? volume.VolumeUp() : volume.VolumeDown();
  EXPECT_EQ(world.sets, row[4]);
  EXPECT_EQ(MasterVolume::VolumeCaption(level, up ? '+' : '-'), row[5]);
}

INSTANTIATE_TEST_SUITE_P(Data, VolumeSteps,
                         ::testing::ValuesIn(test::ReadTable("actions/volume.txt")));

TEST(ActionText, HexParametersAndUpperCase) {
  for (const test::Row& row : test::ReadTable("actions/hex.txt")) {
    EXPECT_EQ(ParseHex(row[0]), std::stoll(row[1])) << row[0];
  }
  for (const test::Row& row : test::ReadTable("actions/upper.txt")) {
    EXPECT_EQ(UpperCase1251(row[0]), row[1]);
  }
}

}  // namespace
}  // namespace vireo
