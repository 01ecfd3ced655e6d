#include "Replay.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

#include "Cp1251.h"
#include "capture/CaptureEngine.h"
#include "platform/sim/SimPlatform.h"

namespace vireo::replay {

namespace {

constexpr std::int64_t kTickMs = 500;

class PrintingListener : public LogListener {
 public:
  explicit PrintingListener(std::ostream& out) : out_(out) {}
  void OnLogLine(const std::string& line) override { out_ << Cp1251ToUtf8(line) << '\n'; }

 private:
  std::ostream& out_;
};

// Stands in for the action dispatcher: takes every queued command, logs its
// name as the main window does, and reports the action it would carry out.
void RunTick(CaptureEngine& engine, std::ostream& out) {
  for (std::string name = engine.Queue().Pop(); !name.empty(); name = engine.Queue().Pop()) {
    engine.Log().AppendLog("(" + name + ")");
    std::string section = "COMMAND" + name;
    std::string action = engine.Config().GetString(section, "Action");
    std::string report = "# " + (action.empty() ? std::string("(no action)") : action);
    for (const char* key : {"Param1", "Param2", "Param3", "Descr"}) {
      std::string value = engine.Config().GetString(section, key);
      if (!value.empty()) report += std::string(" ") + key + "='" + value + "'";
    }
    out << Cp1251ToUtf8(report) << '\n';
  }
}

void Jitter(sim::Recording& recording, std::int64_t jitterUs, std::uint64_t seed) {
  if (jitterUs <= 0) return;
  std::mt19937_64 random(seed);
  const auto span = static_cast<std::uint64_t>(2 * jitterUs + 1);
  for (sim::Segment& segment : recording) {
    std::int64_t change = static_cast<std::int64_t>(random() % span) - jitterUs;
    segment.durationUs = std::max<std::int64_t>(1, segment.durationUs + change);
  }
}

}  // namespace

bool LoadRecording(const Options& options, sim::Recording& recording, std::string& error) {
  std::ifstream file(options.recordingPath, std::ios::binary);
  if (!file) {
    error = "cannot read recording '" + options.recordingPath + "'";
    return false;
  }
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) {
    error = "cannot read recording '" + options.recordingPath + "'";
    return false;
  }
  std::string content = text.str();
  sim::Recording once;
  bool flipper = sim::LooksLikeFlipperIr(content);
  if (flipper) {
    if (!sim::ParseFlipperIr(content, options.button, options.gapMs, once, error)) return false;
  } else {
    if (!options.button.empty()) {
      error = "--button applies only to Flipper .ir files";
      return false;
    }
    if (!sim::ParseMode2(content, once, error)) return false;
    sim::AppendIdle(once, options.gapMs);
  }
  bool anyBurst = false;
  for (const sim::Segment& segment : once) anyBurst = anyBurst || segment.level == 0;
  if (!anyBurst) {
    error = options.button.empty()
                ? "no usable duration in '" + options.recordingPath + "'"
                : "no raw signal named '" + options.button + "' in '" + options.recordingPath + "'";
    return false;
  }
  recording.clear();
  for (std::int64_t i = 0; i < options.repeat; ++i) {
    recording.insert(recording.end(), once.begin(), once.end());
  }
  Jitter(recording, options.jitterUs, options.seed);
  return true;
}

int RunReplay(const Options& options, const sim::Recording& recording, std::ostream& out) {
  sim::VirtualTime time;
  sim::SimClockHardware hardware(time);
  sim::SimSerialLine line(time, recording, options.stepUs * sim::kTicksPerUs);
  sim::SimProcessControl process;
  CaptureEngine engine(line, hardware, process);
  PrintingListener listener(out);
  engine.Log().SetListener(&listener);

  if (engine.RunStartUp()) {
    if (options.debug) engine.Frames().debugMode = true;
    std::int64_t nextTick = kTickMs * sim::kTicksPerMs;
    const std::int64_t stopAt = line.RecordingEndTicks() + options.tailMs * sim::kTicksPerMs;
    bool stopRequested = false;
    while (engine.State().Get() != kStopRequested) {
      engine.CaptureStep();
      if (time.ticks >= nextTick) {
        RunTick(engine, out);
        nextTick = (time.ticks / (kTickMs * sim::kTicksPerMs) + 1) * kTickMs * sim::kTicksPerMs;
      }
      if (!stopRequested && time.ticks > stopAt) {
        engine.RequestStop();
        stopRequested = true;
      }
    }
    engine.FinishRun();
  }
  engine.Log().SetListener(nullptr);
  out.flush();
  return 0;
}

}  // namespace vireo::replay
