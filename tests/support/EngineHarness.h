// Runs a CaptureEngine on the simulated receiver and clock in a folder of its
// own, and reads its event log back as lines.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "capture/CaptureEngine.h"
#include "platform/sim/SimPlatform.h"
#include "support/CaseFile.h"
#include "support/TempDir.h"

namespace vireo::test {

// The configurations under tests/data/capture: "working" starts a packet on
// the quiet level; "burst" starts one on a burst of more than 1 ms and ends
// it after more than 8 ms of quiet line.
inline std::string Config(const std::string& name) {
  return ReadBytes(DataPath("capture/" + name + ".ini"));
}

// A recording from a script of comma-separated pieces: "LEVEL MS" for a
// level held that long, and "nec BITS" (hex) for a pulse-distance frame of
// 16 bits: a 9 ms burst, a 4.5 ms pause, per bit a 0.56 ms burst and a
// 0.56 ms (0) or 1.69 ms (1) pause, and a closing 0.56 ms burst.
sim::Recording ScriptRecording(const std::string& script);

// A performance counter whose rate a test may override.
class TestClockHardware : public sim::SimClockHardware {
 public:
  using SimClockHardware::SimClockHardware;
  std::int64_t HighLevelFrequency() override {
    return frequency ? frequency : SimClockHardware::HighLevelFrequency();
  }
  std::int64_t frequency = 0;
};

class EngineHarness : public LogListener {
 public:
  explicit EngineHarness(sim::Recording recording = {}, const std::string& config = "");
  ~EngineHarness() override;
  void OnLogLine(const std::string& line) override { lines_.push_back(line); }

  // The lines appended since the last call.
  std::vector<std::string> TakeLines();
  std::int32_t State() { return engine->State().Get(); }
  // Absolute virtual time of a moment of the recording, and back.
  std::int64_t RecordingTicks(double ms) const;
  double RecordingMs() const;
  // Capture steps until virtual time reaches `ticks` (or the run stops).
  void StepUntil(std::int64_t ticks);

  TempDir dir;
  sim::VirtualTime time;
  TestClockHardware hardware{time};
  sim::SimProcessControl process;
  std::unique_ptr<sim::SimSerialLine> line;
  std::unique_ptr<CaptureEngine> engine;

 private:
  std::filesystem::path previous_;
  std::vector<std::string> lines_;
};

}  // namespace vireo::test
