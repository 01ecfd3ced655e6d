#include "learn/EngineRun.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>

#include "capture/CaptureEngine.h"
#include "capture/Messages.h"
#include "platform/sim/SimPlatform.h"

namespace vireo::learn {

namespace {

class LineCollector : public LogListener {
 public:
  void OnLogLine(const std::string& line) override {
    if (line == msg::kThreadStopped) collecting_ = false;
    if (collecting_) lines.push_back(line);
    if (line == msg::kThreadStarted) collecting_ = true;
  }
  std::vector<std::string> lines;

 private:
  bool collecting_ = false;
};

std::atomic<int> counter{0};

// Tells this process's files from another's in one temporary folder,
// without asking the system for a process number.
const std::string& ProcessTag() {
  static const std::string tag = [] {
    std::random_device device;
    return std::to_string(device()) + std::to_string(device());
  }();
  return tag;
}

}  // namespace

EngineRunner::EngineRunner(const std::string& iniText) {
  std::error_code failed;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(failed);
  if (failed) return;
  path_ = (folder / ("vireo-learn-" + ProcessTag() + "-" + std::to_string(counter++) + ".ini"))
              .string();
  std::ofstream file(path_, std::ios::binary | std::ios::trunc);
  file << iniText;
  file.close();
  ready_ = !file.fail();
}

EngineRunner::~EngineRunner() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove(path_, ignored);
}

EngineOutcome EngineRunner::Run(const Durations& press, const Distortion& distortion, bool debug,
                                const ViewMaker& view) const {
  EngineOutcome outcome;
  sim::VirtualTime time;
  sim::SimClockHardware hardware(time);
  sim::SimSerialLine line(time, PressRecording(press, distortion.leadUs, 0),
                          distortion.stepUs * sim::kTicksPerUs);
  line.edgeLatencyTicks = distortion.wakeUs * sim::kTicksPerUs;
  sim::SimProcessControl process;
  CaptureEngine engine(line, hardware, process);
  engine.SetConfigPath(path_);
  LineCollector collector;
  engine.Log().SetListener(&collector);
  std::unique_ptr<SignalViewSink> sink;
  if (view) {
    sink = view(engine.Frames(), engine.Settings());
    engine.Frames().SetSignalView(sink.get());
  }
  if (engine.RunStartUp()) {
    outcome.started = true;
    engine.Frames().debugMode = debug;
    const CaptureSettings& s = engine.Settings();
    // Quiet after the press: the stop pause ends the last packet, the packet
    // sleep returns the engine to idle, and a command's pause may come first.
    const std::int64_t tailMs =
        std::int64_t{s.packetStopPause} + s.packetSleep + s.sleepTimeSmall + s.sleepTimeBig + 20;
    const std::int64_t stopAt = line.RecordingEndTicks() + tailMs * sim::kTicksPerMs;
    while (engine.State().Get() != kStopRequested) {
      engine.CaptureStep();
      if (time.ticks > stopAt) engine.RequestStop();
    }
    engine.FinishRun();
  }
  engine.Log().SetListener(nullptr);
  engine.Frames().SetSignalView(nullptr);
  outcome.lines = std::move(collector.lines);
  for (std::string name = engine.Queue().Pop(); !name.empty(); name = engine.Queue().Pop()) {
    outcome.commands.insert(outcome.commands.begin(), std::atoi(name.c_str()));
  }
  return outcome;
}

}  // namespace vireo::learn
