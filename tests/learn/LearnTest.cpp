#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "capture/CaptureSettings.h"
#include "config/ConfigFile.h"
#include "learn/ButtonSignals.h"
#include "learn/Learner.h"
#include "learn/Press.h"
#include "learn/ValueChoice.h"
#include "support/PulseDistance.h"
#include "support/TempDir.h"

namespace vireo {
namespace {

using learn::ButtonSignal;
using learn::Durations;

Durations Frame(std::uint64_t bits, int count) { return test::PulseDistanceFrame(bits, count); }

learn::LearnResult LearnOrFail(const std::vector<ButtonSignal>& buttons, bool periods = true) {
  learn::LearnOptions options;
  options.maxStretchUs = 60;
  options.periods = periods;
  learn::LearnResult result;
  std::string error;
  EXPECT_TRUE(learn::Learn(buttons, options, result, error)) << error;
  return result;
}

const learn::LearnedCommand& Command(const learn::LearnResult& result, const std::string& name) {
  static const learn::LearnedCommand none;
  for (const auto& c : result.commands) {
    if (c.name == name) return c;
  }
  ADD_FAILURE() << "no section for " << name;
  return none;
}

std::vector<ButtonSignal> ThreeButtons() {
  return {{reinterpret_cast<const char*>(u8"Громче"), {Frame(0x12FF00, 32)}},
          {"Vol_dn", {Frame(0x34FF00, 32)}},
          {"Power", {Frame(0x56FF00, 32)}}};
}

TEST(Learn, SettingsFitThePulseDistanceFrameAndTheFileReadsBack) {
  learn::LearnResult result = LearnOrFail(ThreeButtons(), false);
  const CaptureSettings& s = result.choice.settings;
  // Start 2 ms into the head burst, end after more quiet than the 4.5 ms
  // pause but well before the 40 ms repeat gap; a frame of 67 ms fits.
  EXPECT_EQ(s.packetStartValue, 0);
  EXPECT_EQ(s.packetStartPause, 1);
  EXPECT_EQ(s.packetStopValue, 1);
  EXPECT_GT(s.packetStopPause, 4);
  EXPECT_LT(s.packetStopPause, 8);
  EXPECT_GE(s.bufferSize, 67);
  EXPECT_LE(s.bufferSize, 80);
  EXPECT_GT(s.packetMax, 130);
  EXPECT_LT(s.packetMax, 250);
  EXPECT_EQ(s.packetMin, s.packetMax + 1);
  // A packet of nothing but its stop pause is noise; a whole frame is not.
  EXPECT_GT(s.packetValid, 1300 * s.packetStopPause / s.bufferSize);
  EXPECT_LT(s.packetValid, 1300 * 60 / s.bufferSize);
  EXPECT_EQ(
      result.report.back().text,
      "ожидается на 72 искажённых нажатиях: 100,0 % верно, 0,0 % ошибочно, 0,0 % без команды");
  for (const auto& c : result.commands) {
    EXPECT_EQ(c.right, 24) << c.name;
    // A few symbols past unique, so that a garbled press rarely holds it.
    EXPECT_GE(c.value.size(), 9u) << c.name;
  }

  test::TempDir dir;
  dir.Write("VIREO.INI", learn::IniText(result));
  ConfigFile file;
  file.SetPath((dir.Path() / "VIREO.INI").string());
  ASSERT_TRUE(file.Load());
  EXPECT_EQ(file.GetInt("CONFIG", "BUFFER_SIZE"), s.bufferSize);
  EXPECT_EQ(file.GetInt("CONFIG", "PACKET_MIN"), s.packetMin);
  EXPECT_EQ(file.GetString("COMMAND1", "Descr"), "Громче");  // Windows-1251 here
  EXPECT_EQ(file.GetString("COMMAND1", "Action"), "VOL_UP");
  EXPECT_EQ(file.GetString("COMMAND2", "Action"), "VOL_DOWN");
  EXPECT_EQ(file.GetString("COMMAND3", "Action"), "");  // Power only with --bind-power
  EXPECT_EQ(file.GetString("COMMAND3", "Value"), Command(result, "Power").value);
}

TEST(Learn, PeriodSettingsFitTheFrameAndReadBackAsTheEngineChecksThem) {
  learn::LearnResult result = LearnOrFail(ThreeButtons());
  const CaptureSettings& s = result.choice.settings;
  // Every burst starts a packet; more quiet than the 4.5 ms pause ends it,
  // well before the 40 ms repeat gap; the 1.125 ms and 2.25 ms periods of
  // the bits fall apart.
  EXPECT_TRUE(s.edgeWait);
  EXPECT_EQ(s.packetStartUs, 0);
  EXPECT_GT(s.packetStopUs, 4500 * 1.05);
  EXPECT_LT(s.packetStopUs, 30000);
  const PeriodForm& form = s.periodForm;
  EXPECT_TRUE(std::any_of(form.boundsUs.begin(), form.boundsUs.begin() + form.boundCount,
                          [](std::int32_t b) { return b > 1200 && b < 2150; }));
  EXPECT_EQ(result.right, 72);

  test::TempDir dir;
  dir.Write("VIREO.INI", learn::IniText(result));
  SharedConfig config;
  ASSERT_TRUE(config.Load((dir.Path() / "VIREO.INI").string()));
  LogSink log;
  RunState state;
  CaptureSettings read;
  ASSERT_TRUE(CheckOptInKeys(ReadOptInKeys(config), log, state, read));
  EXPECT_EQ(read.packetStopUs, s.packetStopUs);
  EXPECT_EQ(read.periodForm.boundsUs, form.boundsUs);
  EXPECT_EQ(read.periodForm.longBurstUs, form.longBurstUs);
  EXPECT_EQ(config.GetString("CONFIG", "PACKET_MAX"), "");  // replaced by CODE_PERIODS
}

TEST(Learn, ActionsComeFromVolumeAndPowerNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"Vol+", "VOL_UP"},      {"VOL_UP", "VOL_UP"},     {"Vol_more", "VOL_UP"},
      {"Vol-", "VOL_DOWN"},    {"vol_dn", "VOL_DOWN"},   {"Volume down", "VOL_DOWN"},
      {"Vol_dwn", "VOL_DOWN"}, {"vol_less", "VOL_DOWN"}, {"Smart_volume", ""},
      {"Power", ""},           {"Channel+", ""},         {"Up", ""},
  };
  for (const auto& [name, action] : cases) EXPECT_EQ(learn::ActionFor(name, false), action) << name;
  EXPECT_EQ(learn::ActionFor(reinterpret_cast<const char*>(u8"Тише"), false), "VOL_DOWN");
  EXPECT_EQ(learn::ActionFor("Power", true), "POWER_OFF");
  EXPECT_EQ(learn::ActionFor("Power_off", true), "POWER_OFF");
  EXPECT_EQ(learn::ActionFor("Power_on", true), "");
}

TEST(Learn, AButtonWhoseCodeHoldsAnothersComesFirst) {
  // The long frame begins with the short one: any part of the short code is
  // also in the long one, so the look-up must try the long one first.
  std::vector<ButtonSignal> buttons = {{"Short", {Frame(0x2D, 8)}}, {"Long", {Frame(0xB52D, 16)}}};
  learn::LearnResult result = LearnOrFail(buttons);
  ASSERT_EQ(result.commands.size(), 2u);
  EXPECT_EQ(result.commands[0].name, "Long");
  EXPECT_EQ(result.commands[1].name, "Short");
  EXPECT_EQ(result.wrong, 0);
  EXPECT_EQ(result.right, 48);
}

TEST(Learn, ToggledCapturesShareAValueAndDifferentOnesAreRefused) {
  std::vector<ButtonSignal> buttons = {{"Play", {Frame(0x12FF00, 32), Frame(0x12FF04, 32)}},
                                       {"Stop", {Frame(0x34FF00, 32)}}};
  learn::LearnResult result = LearnOrFail(buttons);
  EXPECT_EQ(Command(result, "Play").right, 24);

  // A second capture of Play that is in fact Stop's signal.
  buttons[0].captures[1] = buttons[1].captures[0];
  std::string error;
  EXPECT_FALSE(learn::Learn(buttons, {}, result, error));
  EXPECT_EQ(error, "'Play' is recorded more than once with different signals");
}

// Buttons whose presses end on the same frame are told apart by the frames
// that most of their presses show before it; a code seen in a few presses
// only is no part of a Value.
TEST(Learn, ValuesComeFromTheFramesMostPressesShow) {
  const std::vector<std::string> a = {"xaaay", "rrr"}, b = {"xbbby", "rrr"};
  const learn::ValueOutcome outcome =
      learn::ChooseValues({{a, a, {"rrr"}}, {b, b, b, {"rrr", "qqqq"}}});
  EXPECT_EQ(outcome.values, (std::vector<std::string>{"xaaay", "xbbby"}));
  EXPECT_EQ(outcome.right, (std::vector<int>{2, 3}));
  EXPECT_EQ(outcome.none, (std::vector<int>{1, 1}));
}

#ifndef _WIN32
TEST(Learn, NoTemporaryFolderIsAnErrorNotAnEmptyLearning) {
  const char* previous = std::getenv("TMPDIR");
  const std::string saved = previous ? previous : "";
  setenv("TMPDIR", "/nonexistent/vireo", 1);
  learn::LearnResult result;
  std::string error;
  const bool learned = learn::Learn({{"One", {Frame(0x12FF00, 32)}}}, {}, result, error);
  previous ? setenv("TMPDIR", saved.c_str(), 1) : unsetenv("TMPDIR");
  EXPECT_FALSE(learned);
  EXPECT_EQ(error, "cannot write the engine's configuration into the temporary folder");
}
#endif

TEST(Learn, ButtonsWithOneSignalAreReportedAsColliding) {
  std::vector<ButtonSignal> buttons = {{"One", {Frame(0x12FF00, 32)}},
                                       {"Uno", {Frame(0x12FF00, 32)}},
                                       {"Two", {Frame(0x34FF00, 32)}}};
  learn::LearnResult result = LearnOrFail(buttons);
  const auto collision = std::find_if(result.report.begin(), result.report.end(), [](auto& l) {
    return l.finding == learn::Finding::kCollision;
  });
  ASSERT_NE(collision, result.report.end());
  EXPECT_TRUE(collision->text == "неразличимы: «Uno» и «One»: никакой Value их не различает" ||
              collision->text == "неразличимы: «One» и «Uno»: никакой Value их не различает")
      << collision->text;
  EXPECT_EQ(Command(result, "Two").right, 24);
}

TEST(Learn, ButtonsThatCannotStartAPacketOrStartLateAreReadByPeriodsOrReported) {
  Durations shortHead = Frame(0x12FF00, 32);
  shortHead[0] = 2500;  // seen up to 1 ms late: often under the 2 ms a start needs
  Durations noHead(shortHead.begin() + 2, shortHead.end());
  const std::vector<ButtonSignal> buttons = {
      {"Short", {shortHead}}, {"Flat", {noHead}}, {"Long", {Frame(0x34FF00, 32)}}};
  learn::LearnResult periods = LearnOrFail(buttons);
  EXPECT_EQ(periods.right, 72);
  EXPECT_TRUE(periods.choice.settings.edgeWait);
  learn::LearnResult result = LearnOrFail(buttons, false);
  std::vector<std::string> starts;
  for (const learn::ReportLine& line : result.report) {
    if (line.finding == learn::Finding::kLateStart || line.finding == learn::Finding::kNoStart) {
      starts.push_back(line.text);
    }
  }
  EXPECT_EQ(starts, (std::vector<std::string>{
                        "поздний старт: «Short» начинается со вспышки, которую из-за краткости "
                        "замечают поздно (линия в покое опрашивается раз в 1 мс): первый кадр "
                        "часто теряется",
                        "нет старта: у «Flat» нет вспышки в 2 мс и дольше, с которой мог бы "
                        "начаться пакет"}));
}

TEST(Learn, APressHoldsTheCaptureWithinHalfASecondEndingOnABurst) {
  std::mt19937_64 random(1);
  learn::Distortion held;
  held.repeats = 3;
  held.stretchUs = 100;
  EXPECT_EQ(learn::Distort({9000, 4500, 560}, held, random),
            (Durations{9100, 4400, 660, 39900, 9100, 4400, 660, 39900, 9100, 4400, 660}));
  Durations longCapture(1001, 500);  // 0.5005 s
  EXPECT_EQ(learn::Distort(longCapture, {}, random).size(), 999u);
  EXPECT_EQ(learn::PressRecording({9000, 4500, 560}, 700, 2),
            (sim::Recording{{1, 700}, {0, 9000}, {1, 4500}, {0, 560}, {1, 2000}}));
}

// A recording's faults are cut off: a burst no handset sends before the
// signal, and everything after a pause that ends the press.
TEST(Learn, RecordingsAreReadByNameOrRefusedWithTheirPath) {
  test::TempDir dir;
  dir.Write("remote.ir",
            "Filetype: IR signals file\nname: Play  \ntype: raw\n"
            "data: 2000000 5000 9000 4500 560 300000 560 560 560\n"
            "name: Stop\ntype: parsed\nname: Play\ntype: raw\ndata: 9000 4500 560 560 560\n");
  dir.Write("Vol_up.mode2", "space 5000\npulse 9000\nspace 2250\npulse 560\nspace 90000\n");
  dir.Write("quiet.mode2", "space 5000\n");
  const std::string at = dir.Path().string() + "/";
  std::vector<ButtonSignal> buttons;
  std::string error;
  ASSERT_TRUE(learn::ReadButtonSignals({at + "remote.ir", at + "Vol_up.mode2"}, buttons, error));
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(buttons[0].name, "Play");
  EXPECT_EQ(buttons[0].captures,
            (std::vector<Durations>{{9000, 4500, 560}, {9000, 4500, 560, 560, 560}}));
  EXPECT_EQ(buttons[1].name, "Vol_up");
  EXPECT_EQ(buttons[1].captures, (std::vector<Durations>{{9000, 2250, 560}}));
  EXPECT_FALSE(learn::ReadButtonSignals({at + "quiet.mode2"}, buttons, error));
  EXPECT_EQ(error, "'" + at + "quiet.mode2': no signal");
  EXPECT_FALSE(learn::ReadButtonSignals({at + "missing.ir"}, buttons, error));
  EXPECT_EQ(error, "cannot read '" + at + "missing.ir'");
}

}  // namespace
}  // namespace vireo
