#include "Replay.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>

#include "DryRun.h"
#include "actions/ActionRunner.h"
#include "capture/CaptureEngine.h"
#include "platform/sim/SimPlatform.h"

namespace vireo::replay {

namespace {

constexpr std::int64_t kTickMs = 500;

class PrintingListener : public LogListener {
 public:
  explicit PrintingListener(std::ostream& out) : out_(out) {}
  void OnLogLine(const std::string& line) override { out_ << line << '\n'; }

 private:
  std::ostream& out_;
};

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
    // An idle-only recording is a quiet line, and valid.
    if (!once.empty()) sim::AppendIdle(once, options.gapMs);
  }
  if (once.empty()) {
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

int RunReplay(const Options& options, const sim::Recording& recording, std::ostream& out,
              Picture* picture) {
  sim::VirtualTime time;
  sim::SimClockHardware hardware(time);
  sim::SimSerialLine line(time, recording, options.stepUs * sim::kTicksPerUs);
  line.edgeLatencyTicks = options.wakeUs * sim::kTicksPerUs;
  sim::SimProcessControl process;
  CaptureEngine engine(line, hardware, process);
  PrintingListener listener(out);
  engine.Log().SetListener(&listener);
  sim::SimWallClock wallClock(time);
  DryRunDesktop desktop(out);
  DryRunVolume volume(out);
  DryRunShutdown shutdown(out);
  DryRunCaption caption(out);
  ActionRunner runner(engine, {wallClock, desktop, volume, shutdown, caption});
  runner.Start();
  std::optional<PictureRecorder> recorder;
  if (picture != nullptr) {
    recorder.emplace(engine.Frames(), engine.Settings(), *picture);
    engine.Frames().SetSignalView(&*recorder);
  }

  if (engine.RunStartUp()) {
    if (options.debug) engine.Frames().debugMode = true;
    std::int64_t nextTick = kTickMs * sim::kTicksPerMs;
    const std::int64_t stopAt = line.RecordingEndTicks() + options.tailMs * sim::kTicksPerMs;
    bool stopRequested = false;
    while (engine.State().Get() != kStopRequested) {
      engine.CaptureStep();
      if (time.ticks >= nextTick) {
        runner.Tick();
        nextTick = (time.ticks / (kTickMs * sim::kTicksPerMs) + 1) * kTickMs * sim::kTicksPerMs;
      }
      // A countdown that ran out closes the main window, which stops the worker.
      if (!stopRequested && (time.ticks > stopAt || caption.CloseRequested())) {
        engine.RequestStop();
        stopRequested = true;
      }
    }
    engine.FinishRun();
  }
  runner.ReleaseVolume();
  engine.Log().SetListener(nullptr);
  engine.Frames().SetSignalView(nullptr);
  out.flush();
  return 0;
}

}  // namespace vireo::replay
