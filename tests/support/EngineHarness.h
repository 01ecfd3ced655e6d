// Runs a CaptureEngine on the simulated receiver and clock in a folder of its
// own, and reads its event log back as lines.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "capture/CaptureEngine.h"
#include "platform/sim/SimPlatform.h"
#include "support/TempDir.h"

namespace vireo::test {

// A working configuration: level 1 starts (after 5 ms) and ends (after 8 ms)
// a packet; 130 ms window of 0.1 ms slots.
inline const char kWorkingConfig[] =
    "[CONFIG]\n"
    "TIMER_TYPE=0\nPACKET_SLEEP=100\nSLEEP_TIMEBIG=1\nSLEEP_TIMESMALL=300\n"
    "PACKET_STOP_PAUSE=8\nPACKET_STOP_VALUE=1\nPACKET_START_PAUSE=5\nPACKET_START_VALUE=1\n"
    "BUFFER_SIZE=130\nADDPRECISION=50\nPACKET_MAX=200\nPACKET_MIN=150\nPACKET_VALID=10\n"
    "PACKET_ELEMENT=0\nCLASS_PRIORITY=2\n"
    "[COM]\nPort=3\n";

// Packets start on a burst of more than 1 ms and end after more than 8 ms of
// quiet line; append "[CONFIG]" lines to override (the last value wins).
inline const char kBurstStartConfig[] =
    "[CONFIG]\nTIMER_TYPE=1\nPACKET_SLEEP=100\nSLEEP_TIMEBIG=1\nSLEEP_TIMESMALL=50\n"
    "PACKET_STOP_PAUSE=8\nPACKET_STOP_VALUE=1\nPACKET_START_PAUSE=1\nPACKET_START_VALUE=0\n"
    "BUFFER_SIZE=130\nADDPRECISION=50\nPACKET_MAX=180\nPACKET_MIN=140\nPACKET_VALID=20\n"
    "CLASS_PRIORITY=1\n[COM]\nPort=2\n";

// A held button of a pulse-distance handset: `frames` repeats of a 9 ms
// burst, a 4.5 ms pause, then per bit a 0.56 ms burst with a 0.56 ms pause
// (bit 0) or a 1.69 ms one (bit 1), a closing burst and `gapUs` of quiet line.
inline sim::Recording HeldPulseDistanceButton(int frames, int bitCount, std::uint32_t bits,
                                              std::int64_t gapUs) {
  sim::Recording recording = {{1, 10'000}};
  for (int frame = 0; frame < frames; ++frame) {
    recording.push_back({0, 9000});
    recording.push_back({1, 4500});
    for (int bit = 0; bit < bitCount; ++bit) {
      recording.push_back({0, 560});
      recording.push_back({1, (bits >> bit) & 1 ? 1690 : 560});
    }
    recording.push_back({0, 560});
    recording.push_back({1, gapUs});
  }
  return recording;
}

// Each line of the log is preceded by CR LF.
inline std::vector<std::string> SplitLog(const std::string& log) {
  std::vector<std::string> lines;
  if (log.empty()) return lines;
  std::size_t pos = log.compare(0, 2, "\r\n") == 0 ? 2 : 0;
  for (;;) {
    std::size_t next = log.find("\r\n", pos);
    lines.push_back(log.substr(pos, next == std::string::npos ? std::string::npos : next - pos));
    if (next == std::string::npos) return lines;
    pos = next + 2;
  }
}

// Collects the lines appended to a log since the last take.
class LineCollector : public LogListener {
 public:
  void OnLogLine(const std::string& line) override { lines.push_back(line); }
  std::vector<std::string> Take() {
    std::vector<std::string> taken;
    taken.swap(lines);
    return taken;
  }
  std::vector<std::string> lines;
};

class EngineHarness {
 public:
  explicit EngineHarness(sim::Recording recording = {}) {
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    line = std::make_unique<sim::SimSerialLine>(time, std::move(recording));
    engine = std::make_unique<CaptureEngine>(*line, hardware, process);
    engine->Log().SetListener(&collector);
  }
  ~EngineHarness() {
    engine->Log().SetListener(nullptr);
    std::filesystem::current_path(previous_);
  }

  void WriteConfig(const std::string& text) { dir_.Write("VIREO.INI", text); }
  // The lines appended since the last call.
  std::vector<std::string> TakeLines() { return collector.Take(); }
  std::int32_t State() { return engine->State().Get(); }
  double Ms() const { return static_cast<double>(time.ticks) / sim::kTicksPerMs; }
  // Absolute virtual time of a moment of the recording.
  std::int64_t RecordingTicks(double ms) const {
    return line->RecordingStartTicks() + static_cast<std::int64_t>(ms * sim::kTicksPerMs);
  }
  // Capture steps until virtual time reaches `ticks` (or the run stops).
  void StepUntil(std::int64_t ticks) {
    while (time.ticks < ticks && engine->State().Get() != kStopRequested) engine->CaptureStep();
  }

  TempDir dir_;
  std::filesystem::path previous_;
  LineCollector collector;
  sim::VirtualTime time;
  sim::SimClockHardware hardware{time};
  sim::SimProcessControl process;
  std::unique_ptr<sim::SimSerialLine> line;
  std::unique_ptr<CaptureEngine> engine;
};

}  // namespace vireo::test
