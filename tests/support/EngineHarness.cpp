#include "support/EngineHarness.h"

#include <sstream>
#include <utility>

#include "support/PulseDistance.h"

namespace vireo::test {

sim::Recording ScriptRecording(const std::string& script) {
  sim::Recording recording;
  auto add = [&recording](int level, double ms) {
    recording.push_back({level, static_cast<std::int64_t>(ms * 1000 + 0.5)});
  };
  std::istringstream pieces(script);
  for (std::string piece; std::getline(pieces, piece, ',');) {
    std::istringstream words(piece);
    std::string first;
    words >> first;
    if (first != "nec") {
      double ms = 0;
      words >> ms;
      add(std::stoi(first), ms);
      continue;
    }
    std::string hex;
    words >> hex;
    const auto frame = PulseDistanceFrame(std::stoul(hex, nullptr, 16), 16);
    for (std::size_t i = 0; i < frame.size(); ++i)
      recording.push_back({i % 2 == 0 ? 0 : 1, frame[i]});
  }
  return recording;
}

EngineHarness::EngineHarness(sim::Recording recording, const std::string& config)
    : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(dir.Path());
  if (!config.empty()) dir.Write("VIREO.INI", config);
  line = std::make_unique<sim::SimSerialLine>(time, std::move(recording));
  engine = std::make_unique<CaptureEngine>(*line, hardware, process);
  engine->Log().SetListener(this);
}

EngineHarness::~EngineHarness() {
  engine->Log().SetListener(nullptr);
  std::filesystem::current_path(previous_);
}

std::vector<std::string> EngineHarness::TakeLines() { return std::exchange(lines_, {}); }

std::int64_t EngineHarness::RecordingTicks(double ms) const {
  return line->RecordingStartTicks() + static_cast<std::int64_t>(ms * sim::kTicksPerMs);
}

double EngineHarness::RecordingMs() const {
  return static_cast<double>(time.ticks - line->RecordingStartTicks()) / sim::kTicksPerMs;
}

void EngineHarness::StepUntil(std::int64_t ticks) {
  while (time.ticks < ticks && engine->State().Get() != kStopRequested) engine->CaptureStep();
}

}  // namespace vireo::test
