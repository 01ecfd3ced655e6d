#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "capture/CaptureEngine.h"
#include "support/EngineHarness.h"

namespace vireo {
namespace {

using Lines = std::vector<std::string>;
using test::EngineHarness;
using test::kWorkingConfig;

const Lines kHead = {"VIREO.INI прочитан",
                     "Низкоуровневый таймер недоступен",
                     "Используется высокоуровневый таймер",
                     "Открыт COM3",
                     "DTR включен",
                     "RTS включен"};

Lines Join(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::string WithConfig(const std::string& key, const std::string& value) {
  return std::string(kWorkingConfig) + "[CONFIG]\n" + key + "=" + value + "\n";
}

struct StartUpCase {
  const char* name;
  const char* config;  // nullptr: no VIREO.INI at all
  std::function<void(sim::SimSerialLine&, sim::SimProcessControl&)> knobs;
  Lines lines;
  const char* lineCalls;
};

void PrintTo(const StartUpCase& c, std::ostream* os) { *os << c.name; }

class WorkerStartUp : public ::testing::TestWithParam<StartUpCase> {};

// Every way the start-up can fail ends with its own last line, run state 0
// and the serial line closed again if it had been opened.
TEST_P(WorkerStartUp, FailureTranscript) {
  const StartUpCase& c = GetParam();
  EngineHarness h;
  if (c.config) h.WriteConfig(c.config);
  if (c.knobs) c.knobs(*h.line, h.process);
  EXPECT_FALSE(h.engine->RunStartUp());
  EXPECT_EQ(h.TakeLines(), c.lines);
  EXPECT_EQ(h.State(), kStopped);
  EXPECT_FALSE(h.engine->WorkerPresent());
  EXPECT_EQ(h.line->Calls(), c.lineCalls);
  EXPECT_FALSE(h.line->IsOpen());
  EXPECT_TRUE(h.process.priorities.empty());
}

std::string BigConfig(const char* extra) { return std::string(kWorkingConfig) + extra; }
const std::string kTimerFive = BigConfig("[CONFIG]\nTIMER_TYPE=5\n");
const std::string kTimerLow = BigConfig("[CONFIG]\nTIMER_TYPE=2\n");
const std::string kPortZero = BigConfig("[COM]\nPort=0\n");
const std::string kNoPort = "[CONFIG]\nTIMER_TYPE=1\n";
const std::string kNoBuffer =
    "[CONFIG]\nPACKET_SLEEP=100\nSLEEP_TIMEBIG=1\nSLEEP_TIMESMALL=300\nPACKET_STOP_PAUSE=8\n"
    "PACKET_START_PAUSE=5\nADDPRECISION=50\nPACKET_MAX=200\n[COM]\nPort=3\n";

INSTANTIATE_TEST_SUITE_P(
    Table, WorkerStartUp,
    ::testing::Values(
        StartUpCase{"NoIni", nullptr, nullptr, {"Не могу прочитать VIREO.INI"}, ""},
        StartUpCase{
            "TimerTypeFive",
            kTimerFive.c_str(),
            nullptr,
            {"VIREO.INI прочитан", "Низкоуровневый таймер недоступен", "Ошибка установки таймера"},
            ""},
        StartUpCase{
            "LowLevelTimerMissing",
            kTimerLow.c_str(),
            nullptr,
            {"VIREO.INI прочитан", "Низкоуровневый таймер недоступен", "Ошибка установки таймера"},
            ""},
        StartUpCase{"PortZero",
                    kPortZero.c_str(),
                    nullptr,
                    {"VIREO.INI прочитан", "Низкоуровневый таймер недоступен",
                     "Используется высокоуровневый таймер", "Не могу открыть '0'"},
                    "open:0;"},
        StartUpCase{"PortMissing",
                    kNoPort.c_str(),
                    nullptr,
                    {"VIREO.INI прочитан", "Низкоуровневый таймер недоступен",
                     "Используется высокоуровневый таймер", "Не могу открыть ''"},
                    "open:0;"},
        StartUpCase{"Dtr", kWorkingConfig,
                    [](sim::SimSerialLine& line, sim::SimProcessControl&) { line.failDtr = true; },
                    Join(Lines(kHead.begin(), kHead.begin() + 4), {"Не могу включить DTR"}),
                    "open:3;dtr:1;close;"},
        StartUpCase{"Rts", kWorkingConfig,
                    [](sim::SimSerialLine& line, sim::SimProcessControl&) { line.failRts = true; },
                    Join(Lines(kHead.begin(), kHead.begin() + 5), {"Не могу включить RTS"}),
                    "open:3;dtr:1;rts:1;close;"},
        StartUpCase{
            "CtsUnreadable", kWorkingConfig,
            [](sim::SimSerialLine& line, sim::SimProcessControl&) { line.ctsUnreadable = true; },
            Join(kHead, {"Не могу получить cts"}), "open:3;dtr:1;rts:1;close;"},
        StartUpCase{
            "NoReceiver", kWorkingConfig,
            [](sim::SimSerialLine& line, sim::SimProcessControl&) { line.idleLevel = 0; },
            Join(kHead, {"Не найден фотоприемник", "Схему и рекмендации по сборке можно найти на",
                         "README.md#the-receiver"}),
            "open:3;dtr:1;rts:1;close;"},
        StartUpCase{"BufferSizeMissing", kNoBuffer.c_str(), nullptr,
                    Join(kHead, {"Обнаружен фотоприемник", "BUFFER_SIZE<=0"}),
                    "open:3;dtr:1;rts:1;close;"},
        StartUpCase{"Priority", kWorkingConfig,
                    [](sim::SimSerialLine&, sim::SimProcessControl& process) {
                      process.failPriority = true;
                    },
                    Join(kHead, {"Обнаружен фотоприемник", "Таймер тикает 10000 раз в мс",
                                 "Длинна буфера 130 мс", "Начало пакета 50 белых точек по шкале",
                                 "Завершение пакета 80 белыx точек по шкале",
                                 "Не удается установить высокий приоритет для процесса"}),
                    "open:3;dtr:1;rts:1;close;"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WorkerStartUp, SuccessTranscriptThenStop) {
  EngineHarness h;
  h.WriteConfig(kWorkingConfig);
  ASSERT_TRUE(h.engine->RunStartUp());
  EXPECT_EQ(h.TakeLines(),
            Join(kHead, {"Обнаружен фотоприемник", "Таймер тикает 10000 раз в мс",
                         "Длинна буфера 130 мс", "Начало пакета 50 белых точек по шкале",
                         "Завершение пакета 80 белыx точек по шкале",
                         "Установлен высокий приоритет для процесса", "Тред запущен", ""}));
  EXPECT_EQ(h.State(), kIdle);
  EXPECT_TRUE(h.line->IsOpen());
  // The receiver is given 500 ms of power before it is looked for.
  EXPECT_GE(h.Ms(), 500.0);
  EXPECT_FALSE(h.engine->Frames().debugMode.load());

  h.engine->RequestStop();
  EXPECT_EQ(h.State(), kStopRequested);
  h.engine->FinishRun();
  EXPECT_EQ(h.TakeLines(), Lines{"Тред остановлен"});
  EXPECT_EQ(h.State(), kStopped);
  EXPECT_EQ(h.line->Calls(), "open:3;dtr:1;rts:1;close;");
  EXPECT_EQ(h.process.priorities,
            (std::vector<PriorityClass>{PriorityClass::High, PriorityClass::Normal}));
}

struct ReportCase {
  const char* key;
  const char* value;
  const char* expectedLine;
  int lineIndex;  // counted from the receiver line
};

TEST(WorkerStartUp, SettingsReport) {
  const ReportCase cases[] = {
      {"BUFFER_SIZE", "200", "Длинна буфера 200 мс", 2},
      {"BUFFER_SIZE", "1301", "Начало пакета 0 белых точек по шкале", 3},
      {"BUFFER_SIZE", "1301", "Завершение пакета 0 белыx точек по шкале", 4},
      {"PACKET_START_VALUE", "0", "Начало пакета 50 черных точек по шкале", 3},
      {"PACKET_START_VALUE", "-1", "Начало пакета 50 белых точек по шкале", 3},
      {"PACKET_STOP_VALUE", "0", "Завершение пакета 80 черныx точек по шкале", 4},
      {"CLASS_PRIORITY", "0", "Установлен низкий приоритет для процесса", 5},
      {"CLASS_PRIORITY", "", "Установлен низкий приоритет для процесса", 5},
      {"CLASS_PRIORITY", "1", "Установлен нормальный приоритет для процесса", 5},
      {"CLASS_PRIORITY", "3", "Установлен REALTIME приоритет для процесса", 5},
      {"CLASS_PRIORITY", "7", "Установлен высокий приоритет для процесса", 5},
      {"CLASS_PRIORITY", "-1", "Установлен высокий приоритет для процесса", 5},
  };
  for (const ReportCase& c : cases) {
    EngineHarness h;
    h.WriteConfig(WithConfig(c.key, c.value));
    ASSERT_TRUE(h.engine->RunStartUp()) << c.key << "=" << c.value;
    Lines lines = h.TakeLines();
    ASSERT_GT(lines.size(), 7u + c.lineIndex);
    EXPECT_EQ(lines[6 + c.lineIndex], c.expectedLine) << c.key << "=" << c.value;
  }
  EngineHarness h;
  h.WriteConfig(WithConfig("BUFFER_SIZE", "200") + "PACKET_START_PAUSE=5\n");
  ASSERT_TRUE(h.engine->RunStartUp());
  EXPECT_EQ(h.TakeLines()[9], "Начало пакета 30 белых точек по шкале");
}

TEST(WorkerStartUp, TickRateBelowOneHundredFails) {
  struct SlowCounter : sim::SimClockHardware {
    using SimClockHardware::SimClockHardware;
    std::int64_t HighLevelFrequency() override { return 99; }
  };
  EngineHarness h;
  h.WriteConfig(kWorkingConfig);
  SlowCounter slow(h.time);
  CaptureEngine engine(*h.line, slow, h.process);
  EXPECT_FALSE(engine.RunStartUp());
  Lines lines = test::SplitLog(engine.Log().TakeLogIfChanged());
  EXPECT_EQ(lines.back(), "Не могу получить performance");
  EXPECT_EQ(lines.size(), 8u);
  EXPECT_EQ(engine.State().Get(), kStopped);
  EXPECT_FALSE(h.line->IsOpen());
}

// Runs the worker only when the test says so, on the test's own thread.
class DeferredProcess : public sim::SimProcessControl {
 public:
  bool StartTimeCriticalThread(std::function<void()> body) override {
    bodies.push_back(std::move(body));
    return true;
  }
  std::vector<std::function<void()>> bodies;
};

TEST(WorkerStart, SecondStartDuringStartUpIsRefusedAndStopsTheFirst) {
  EngineHarness h;
  h.WriteConfig(kWorkingConfig);
  DeferredProcess process;
  CaptureEngine engine(*h.line, h.hardware, process);
  engine.StartWorker();
  ASSERT_EQ(process.bodies.size(), 1u);
  EXPECT_TRUE(engine.WorkerPresent());
  engine.StartWorker();  // the run state is still 0, but a worker is starting
  EXPECT_EQ(process.bodies.size(), 1u);
  EXPECT_EQ(engine.State().Get(), kStopped);  // the stop waits for the end of the start-up
  process.bodies[0]();
  Lines lines = test::SplitLog(engine.Log().TakeLogIfChanged());
  EXPECT_EQ(lines.front(), "Попытка запуска второй копии Vireo");
  EXPECT_EQ(lines.back(), "Тред остановлен");
  EXPECT_EQ(lines[lines.size() - 2], "");  // no capture step ran
  EXPECT_EQ(engine.State().Get(), kStopped);
  EXPECT_FALSE(engine.WorkerPresent());

  engine.StartWorker();  // after the end a new worker starts
  EXPECT_EQ(process.bodies.size(), 2u);
}

TEST(WorkerStart, StopDuringStartUpReachesTheWorker) {
  EngineHarness h;
  h.WriteConfig(kWorkingConfig);
  DeferredProcess process;
  CaptureEngine engine(*h.line, h.hardware, process);
  engine.RequestStop();  // no worker: nothing happens
  EXPECT_EQ(engine.State().Get(), kStopped);
  engine.StartWorker();
  engine.RequestStop();  // still starting: run state 0
  EXPECT_EQ(engine.State().Get(), kStopped);
  process.bodies.at(0)();
  Lines lines = test::SplitLog(engine.Log().TakeLogIfChanged());
  EXPECT_EQ(lines.back(), "Тред остановлен");
  EXPECT_EQ(lines[lines.size() - 2], "");  // straight after the start-up's last line
  EXPECT_EQ(engine.State().Get(), kStopped);
  EXPECT_EQ(h.line->Calls(), "open:3;dtr:1;rts:1;close;");
}

TEST(WorkerStart, RealThreadRunsUntilStopped) {
  EngineHarness h;
  h.WriteConfig(kWorkingConfig);
  h.engine->StartWorker();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (h.State() != kIdle && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(h.State(), kIdle);
  h.engine->StartWorker();  // refused: a worker is present, which is asked to stop
  while (h.engine->WorkerPresent() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_FALSE(h.engine->WorkerPresent());
  Lines lines = h.TakeLines();
  EXPECT_EQ(lines.back(), "Тред остановлен");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Попытка запуска второй копии Vireo"),
            lines.end());
  EXPECT_FALSE(h.line->IsOpen());
}

}  // namespace
}  // namespace vireo
